// Pointer hints through the real main window: real pointer-move events on the editors'
// viewports, the real catalogue and word lists read from the working directory.

#include "Dialogs.h"
#include "EventLoopWait.h"
#include "HelpSystem.h"
#include "HintTiming.h"
#include "LanguageSyntax.h"
#include "MainForm.h"
#include "ShaderEditor.h"
#include "TestFiles.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kSinHint = QStringLiteral("float sin(float angle)\rthe sine of angle");
const QString kSinShown = QStringLiteral("float sin(float angle)\nthe sine of angle");
const QString kNoHint = QStringLiteral("No hint available for this entry...");

// No dialog may open here; a failure would land in errors.
class RecordingDialogs : public Dialogs {
public:
    QStringList errors;
    SaveAnswer askSaveChanges(bool) override { return SaveAnswer::No; }
    QString openShaderFile(const QString&) override { return QString(); }
    QString saveShaderFile(const QString&) override { return QString(); }
    void showError(const QString& text) override { errors.append(text); }
    void showAbout(const QString&) override {}
    DiskAnswer askOverwriteChangedFile(const QString&) override { return DiskAnswer::Cancel; }
    bool askReloadChangedFile(const QString&) override { return false; }
    QString askGoToLine(int) override { return QString(); }
    bool editPreferences(Preferences&) override { return false; }
    void showKeys(const QString&) override {}
    bool askRestorePages(const QStringList&) override { return false; }
};

class PointerHintsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {kDataTypesFile, kTypeQualifiersFile, kStateVarsFile}) {
            const QString file = QString::fromLatin1(name);
            ASSERT_TRUE(QFile::copy(SourcePath(QStringLiteral("data/") + file), dir_.file(file))) << name;
        }
        // Our own function names and hints, so the expected texts are known here.
        WriteBytes(dir_.file(QString::fromLatin1(kFunctionNamesFile)), "sin\r\ntexture2D\r\nmax\r\n");
        WriteBytes(dir_.file(QString::fromLatin1(kHintFile)),
                   "sin\r\n2\r\nfloat sin(float angle)\r\nthe sine of angle\r\n"
                   "texture2D\r\n1\r\nvec4 texture2D(sampler2D s, vec2 coord)\r\n");
        WriteBytes(dir_.file(QStringLiteral("config.txt")), "\r\n\r\n\r\n737 579 110 191\r\n0\r\n0\r\n");
        ASSERT_NO_THROW(LoadWordLists());

        savedPause_ = HintHidePause();
        SetHintHidePause(kDefaultHintHidePause);
        InstallHintTiming(*qApp);

        MainFormOptions options;
        options.dialogs = &dialogs_;
        options.settingsWriteDir = dir_.path();
        options.startTimerInterval = 1;
        form_ = std::make_unique<TMainForm>(options);
        form_->show();
        WaitFor([this] { return !form_->StartTimer->isActive(); }, 5000);
        ASSERT_EQ(dialogs_.errors, QStringList());
    }

    void TearDown() override
    {
        QToolTip::hideText();
        WaitFor([] { return !QToolTip::isVisible(); }, 2000);
        // Closing gives the rendering context back, as at the end of a real run.
        if (form_)
            form_->close();
        form_.reset();
        ReleaseWordLists();
        SetHintHidePause(savedPause_);
    }

    // Shows text in an editor's page and lays it out.
    void SetText(ShaderEditor* editor, QWidget* sheet, const QString& text)
    {
        form_->PageControl1->setCurrentWidget(sheet);
        editor->setPlainText(text);
        QApplication::processEvents();
    }

    enum class Part { Middle, LeftEdge, RightEdge };

    // A point on the character at a document position, in viewport coordinates.
    static QPoint PointOn(ShaderEditor* editor, int position, Part part = Part::Middle)
    {
        QTextCursor at(editor->document());
        at.setPosition(position);
        const QRect caret = editor->cursorRect(at);
        const QChar c = editor->document()->characterAt(position);
        const int width = QFontMetrics(editor->font()).horizontalAdvance(c);
        const int x = part == Part::LeftEdge ? caret.left() + 1
                      : part == Part::RightEdge ? caret.left() + width - 2
                                                : caret.left() + width / 2;
        return QPoint(x, caret.center().y());
    }

    static QPoint PointOn(ShaderEditor* editor, const QString& text, int offset, Part part = Part::Middle)
    {
        const int start = int(editor->toPlainText().indexOf(text));
        EXPECT_GE(start, 0) << text.toStdString();
        return PointOn(editor, start + offset, part);
    }

    static void MovePointer(ShaderEditor* editor, QPoint at)
    {
        QWidget* view = editor->viewport();
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }

    static void RequestToolTip(QWidget* widget, QPoint at)
    {
        QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &help);
    }

    static void ExpectNoHint(ShaderEditor* editor)
    {
        EXPECT_TRUE(editor->viewport()->toolTip().isEmpty());
        EXPECT_EQ(editor->viewport()->cursor().shape(), Qt::IBeamCursor);
    }

    static void ExpectHint(ShaderEditor* editor, const QString& shown)
    {
        EXPECT_EQ(editor->viewport()->toolTip(), shown);
        EXPECT_EQ(editor->viewport()->cursor().shape(), Qt::WhatsThisCursor);
    }

    ScopedWorkDir dir_;
    RecordingDialogs dialogs_;
    std::unique_ptr<TMainForm> form_;
    int savedPause_ = 0;
};

const QString kVertexText = QStringLiteral("vec4 c = sin(a) + texture2D(s, uv);\n"
                                           "plain words only\n"
                                           "\tsin(b);\n"
                                           "y = max(a,sin(b)) + SIN(c)\n"
                                           "y = sin\n");

TEST_F(PointerHintsWindowTest, FunctionNameShowsItsHintThenPlainTextTurnsItOff)
{
    ShaderEditor* editor = form_->ShaderRichEdit;
    SetText(editor, form_->VSTabSheet, kVertexText);
    ExpectNoHint(editor);

    const QPoint onSin = PointOn(editor, QStringLiteral("sin(a)"), 1);
    MovePointer(editor, onSin);
    EXPECT_EQ(form_->HintWord, QStringLiteral("sin"));
    ExpectHint(editor, kSinShown);
    EXPECT_EQ(editor->property("hintText").toString(), kSinHint);
    EXPECT_EQ(HintHidePause(), 500000);

    // The framework's tool-tip request shows the hint with its lines apart.
    RequestToolTip(editor->viewport(), onSin);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), kSinShown);

    MovePointer(editor, PointOn(editor, QStringLiteral("words"), 2));
    EXPECT_EQ(form_->HintWord, QStringLiteral("words"));
    ExpectNoHint(editor);
    // The hint text stays; only the tool-tip is off. The long pause stays too.
    EXPECT_EQ(editor->property("hintText").toString(), kSinHint);
    EXPECT_EQ(HintHidePause(), 500000);
    EXPECT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(dialogs_.errors, QStringList());
}

TEST_F(PointerHintsWindowTest, WhereTheHintShowsAndWhereNot)
{
    ShaderEditor* editor = form_->ShaderRichEdit;
    SetText(editor, form_->VSTabSheet, kVertexText);
    const QString texture = QStringLiteral("vec4 texture2D(sampler2D s, vec2 coord)");

    struct Case {
        const char* label;
        QString at;
        int offset;
        QString shown; // empty: no hint
        Part part = Part::Middle;
    };
    const Case cases[] = {
        {"name before parenthesis", "texture2D(", 8, texture},
        {"after a tab", "\tsin(b)", 1, {}},
        {"on the parenthesis", "sin(a)", 3, {}},
        {"on a blank", " = sin(a)", 0, {}},
        {"after a comma", "a,sin", 3, {}},
        {"other letter case", "SIN(c)", 1, kSinShown},
        {"a list entry without a hint record", "max(", 0, kNoHint},
        {"plain word", "plain", 0, {}},
        // The character under the pointer is the one whose cell holds it, edges included.
        {"right edge of the last letter", "sin(a)", 2, kSinShown, Part::RightEdge},
        {"left edge of the first letter", "sin(a)", 0, kSinShown, Part::LeftEdge},
        {"left edge of the parenthesis", "sin(a)", 3, {}, Part::LeftEdge},
        {"right edge of the blank before", " sin(a)", 0, {}, Part::RightEdge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MovePointer(editor, PointOn(editor, c.at, c.offset, c.part));
        if (c.shown.isEmpty())
            ExpectNoHint(editor);
        else
            ExpectHint(editor, c.shown);
    }
}

TEST_F(PointerHintsWindowTest, RightOfTheLineEndTakesTheLastWord)
{
    ShaderEditor* editor = form_->ShaderRichEdit;
    SetText(editor, form_->VSTabSheet, kVertexText);
    const QPoint onLastLine = PointOn(editor, QStringLiteral("y = sin\n"), 5);
    MovePointer(editor, QPoint(editor->viewport()->width() - 4, onLastLine.y()));
    EXPECT_EQ(form_->HintWord, QStringLiteral("sin"));
    ExpectHint(editor, kSinShown);

    // Below the text lies only the empty last line.
    MovePointer(editor, QPoint(10, editor->viewport()->height() - 4));
    ExpectNoHint(editor);
}

TEST_F(PointerHintsWindowTest, FragmentEditorHasItsOwnHint)
{
    SetText(form_->ShaderRichEditFS, form_->FSTabSheet, QStringLiteral("gl_FragColor = texture2D(t, uv);\n"));
    MovePointer(form_->ShaderRichEditFS, PointOn(form_->ShaderRichEditFS, QStringLiteral("texture2D"), 0));
    ExpectHint(form_->ShaderRichEditFS, QStringLiteral("vec4 texture2D(sampler2D s, vec2 coord)"));
    EXPECT_TRUE(form_->ShaderRichEdit->viewport()->toolTip().isEmpty());
}

TEST_F(PointerHintsWindowTest, ToolbarToolTipShowsAfterAHint)
{
    ShaderEditor* editor = form_->ShaderRichEdit;
    SetText(editor, form_->VSTabSheet, kVertexText);
    MovePointer(editor, PointOn(editor, QStringLiteral("sin(a)"), 0));
    ASSERT_EQ(HintHidePause(), 500000);

    QToolButton* save = form_->ToolButton3;
    RequestToolTip(save, QPoint(save->width() / 2, save->height() / 2));
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Datei speichern"));
}

TEST_F(PointerHintsWindowTest, WithoutCatalogueNoHintIsShown)
{
    ShaderEditor* editor = form_->ShaderRichEdit;
    SetText(editor, form_->VSTabSheet, kVertexText);
    // As after a failed start-up step; the window still owns and destroys the catalogue.
    form_->HelpSystem = nullptr;
    MovePointer(editor, PointOn(editor, QStringLiteral("sin(a)"), 1));
    ExpectNoHint(editor);
    EXPECT_EQ(HintHidePause(), kDefaultHintHidePause);
    EXPECT_EQ(dialogs_.errors, QStringList());
}

} // namespace
