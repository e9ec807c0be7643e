#include "WindowFixture.h"

#include "EditorGutter.h"
#include "LineMarkers.h"
#include "OutputPanel.h"
#include "ShaderEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScreen>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

namespace {

const char* kBrokenFragment = "void main()\n"
                              "{\n"
                              "    vec4 c = vec4(1.0);\n"
                              "    gl_FragColor = c\n"
                              "}\n";

const char* kBrokenVertex = "void main()\n"
                            "{\n"
                            "    gl_Position = undefinedThing;\n"
                            "}\n";

// The first output line holding text, or -1.
int panelLineWith(const OutputPanel& panel, const QString& text)
{
    for (int i = 0; i < panel.lines().size(); ++i) {
        if (panel.lines()[i].contains(text))
            return i;
    }
    return -1;
}

TEST(Diagnostics, DriverCheckMarksTheLineAndDoubleClickTakesTheCaretThere)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    f.ShaderRichEditFS->setPlainText(QString::fromLatin1(kBrokenFragment));
    f.ToolButton13->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();

    // Mesa reports the missing ';' on line 5, where the statement ends.
    const auto marked = f.ShaderRichEditFS->markers().onBlock(4);
    ASSERT_EQ(marked.size(), 1) << f.glslValidateMemo->lines().join('\n').toStdString();
    EXPECT_EQ(marked[0]->kind, LineMarker::Kind::Error);
    EXPECT_TRUE(f.ShaderRichEdit->markers().isEmpty());
    EXPECT_EQ(f.ShaderRichEditFS->extraSelections().size(), 1);
    EXPECT_EQ(f.ShaderRichEditFS->extraSelections()[0].format.underlineStyle(), QTextCharFormat::WaveUnderline);

    const int index = panelLineWith(*f.glslValidateMemo, QStringLiteral("error"));
    ASSERT_GE(index, 0);
    EXPECT_EQ(f.PageControl1->currentWidget(), f.VSTabSheet);
    DoubleClickPanelLine(*f.glslValidateMemo, index);
    EXPECT_EQ(f.PageControl1->currentWidget(), f.FSTabSheet);
    EXPECT_EQ(f.ShaderRichEditFS->textCursor().blockNumber(), 4);
    EXPECT_FALSE(f.FSDocument.Changed) << "moving the caret is no edit";
}

TEST(Diagnostics, EditingAMarkedLineClearsItsMarkerOnly)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.PageControl1->setCurrentWidget(f.FSTabSheet);
    f.ShaderRichEditFS->setPlainText(QStringLiteral("line one\nline two\nline three\n"));
    f.ShaderRichEditFS->markers().add(1, 0, LineMarker::Kind::Warning, QStringLiteral("first"));
    f.ShaderRichEditFS->markers().add(3, 2, LineMarker::Kind::Error, QStringLiteral("third"));

    // A line inserted above moves the markers with their lines.
    QTextCursor top(f.ShaderRichEditFS->document());
    top.insertText(QStringLiteral("new first line\n"));
    EXPECT_EQ(f.ShaderRichEditFS->markers().count(), 1) << "the edited first line lost its marker";
    ASSERT_EQ(f.ShaderRichEditFS->markers().onBlock(3).size(), 1);
    EXPECT_EQ(f.ShaderRichEditFS->markers().messagesOnBlock(3), QStringLiteral("third"));

    QTextCursor third(f.ShaderRichEditFS->document()->findBlockByNumber(3));
    third.movePosition(QTextCursor::EndOfBlock);
    third.insertText(QStringLiteral(";"));
    EXPECT_TRUE(f.ShaderRichEditFS->markers().isEmpty());
    EXPECT_TRUE(f.ShaderRichEditFS->extraSelections().isEmpty());
}

TEST(Diagnostics, CombinedCheckMarksBothPagesAndACheckAgainClearsThem)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.ShaderRichEdit->setPlainText(QString::fromLatin1(kBrokenVertex));
    f.ShaderRichEditFS->setPlainText(QString::fromLatin1(kBrokenFragment));
    f.ToolButton14->click();
    const QString log = f.glslValidateMemo->lines().join('\n');
    EXPECT_EQ(f.ShaderRichEdit->markers().onBlock(2).size(), 1) << log.toStdString();
    EXPECT_EQ(f.ShaderRichEditFS->markers().onBlock(4).size(), 1) << log.toStdString();

    // Checking the vertex page alone again clears its old markers, not the other page's.
    f.ShaderRichEdit->setPlainText(QStringLiteral("void main() { gl_Position = vec4(0.0); }\n"));
    f.ShaderRichEdit->markers().add(1, 0, LineMarker::Kind::Error, QStringLiteral("stale"));
    f.ToolButton12->click();
    EXPECT_TRUE(f.ShaderRichEdit->markers().isEmpty());
    EXPECT_FALSE(f.ShaderRichEditFS->markers().isEmpty());
}

TEST(Diagnostics, ValidatorMessagesMarkTheCheckedPage)
{
    WindowFixture w;
    QFile::copy(ProgramDirPath(QStringLiteral("glslvalidate")), w.dir.file("glslvalidate"));
    QFile(w.dir.file("glslvalidate")).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    WriteBytes(w.dir.file("config.txt"), (w.dir.path() + "\r\n\r\n\r\n737 579 110 191\r\n0\r\n0\r\n").toUtf8());
    TMainForm& f = w.start();
    f.ShaderRichEdit->setPlainText(QString::fromLatin1(kBrokenVertex));
    f.ToolButton6->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    // glslang reports three errors on that line; each is a marker, and no other line has one.
    const auto marked = f.ShaderRichEdit->markers().onBlock(2);
    EXPECT_EQ(marked.size(), 3) << f.glslValidateMemo->lines().join('\n').toStdString();
    EXPECT_EQ(f.ShaderRichEdit->markers().count(), int(marked.size()));
    const QString tip = f.ShaderRichEdit->markers().messagesOnBlock(2);
    EXPECT_TRUE(tip.contains(QStringLiteral("undefinedThing"))) << tip.toStdString();
}

TEST(Diagnostics, GutterShowsLineNumbersBesideTheText)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    EditorGutter& gutter = f.ShaderRichEdit->gutter();
    EXPECT_GT(gutter.width(), 0);
    EXPECT_LE(gutter.geometry().right(), f.ShaderRichEdit->viewport()->geometry().left());
    const int narrow = gutter.preferredWidth();
    QString many;
    for (int i = 0; i < 100000; ++i)
        many += QStringLiteral("x\n");
    f.ShaderRichEdit->setPlainText(many);
    EXPECT_GT(gutter.preferredWidth(), narrow) << "six-digit line numbers need more room";
}

// The gutter is repainted only where its numbers can change: after every kind of edit, what
// the window shows of it is what a fresh paint gives.
TEST(Diagnostics, GutterOnScreenFollowsEveryEdit)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    QCoreApplication::processEvents();
    ShaderEditor& editor = *f.ShaderRichEdit;
    EditorGutter& gutter = editor.gutter();
    editor.setPlainText(QStringLiteral("a\nb\nc\nd\ne"));
    const std::pair<const char*, std::function<void(QTextCursor&)>> edits[] = {
        {"a letter inside a line", [](QTextCursor& c) { c.insertText(QStringLiteral("x")); }},
        {"a line break", [](QTextCursor& c) { c.insertText(QStringLiteral("\n")); }},
        {"two lines joined", [](QTextCursor& c) { c.movePosition(QTextCursor::StartOfBlock); c.deletePreviousChar(); }},
        {"three lines pasted", [](QTextCursor& c) { c.insertText(QStringLiteral("1\n2\n3\n")); }},
        {"undone", [&](QTextCursor&) { editor.undo(); }},
    };
    for (const auto& [name, edit] : edits) {
        QTextCursor c(editor.document()->findBlockByNumber(1));
        c.movePosition(QTextCursor::EndOfBlock);
        edit(c);
        QCoreApplication::processEvents();
        const QRect area(gutter.mapTo(&f, QPoint(0, 0)), gutter.size());
        const QImage shown = f.screen()->grabWindow(f.winId()).toImage().copy(area).convertToFormat(QImage::Format_RGB32);
        const QImage fresh = gutter.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(shown == fresh) << name;
    }
}

} // namespace

namespace {

TEST(Diagnostics, DoubleClickGoesWhereTheMarkedLineIsNow)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    f.ShaderRichEditFS->setPlainText(QString::fromLatin1(kBrokenFragment));
    f.ToolButton13->click();
    const int index = panelLineWith(*f.glslValidateMemo, QStringLiteral("error"));
    ASSERT_GE(index, 0);
    QTextCursor(f.ShaderRichEditFS->document()).insertText(QStringLiteral("// a line above\n"));
    ASSERT_EQ(f.ShaderRichEditFS->markers().onBlock(5).size(), 1) << "the marker moved with its line";
    f.OutputLineActivated(index); // what a double-click on the line runs
    EXPECT_EQ(f.ShaderRichEditFS->textCursor().blockNumber(), 5);
}

// A shader broken on every line: each message is listed and leads to its line, but only the
// first few hundred lines are marked, and they are marked in one go.
TEST(Diagnostics, ThousandsOfMessagesAreListedAndAFewHundredMarked)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    QString shader = QStringLiteral("void main()\n{\n");
    for (int i = 0; i < 2000; ++i)
        shader += QStringLiteral("    undeclared%1 = 1.0;\n").arg(i);
    shader += QStringLiteral("}\n");
    f.ShaderRichEdit->setPlainText(shader);
    f.ToolButton12->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();

    int listed = 0;
    int last = -1;
    for (int i = 0; i < f.glslValidateMemo->lines().size(); ++i) {
        if (f.glslValidateMemo->lines()[i].contains(QStringLiteral("undeclared"))) {
            ++listed;
            last = i;
        }
    }
    EXPECT_GE(listed, 2000);
    EXPECT_EQ(f.ShaderRichEdit->markers().count(), LineMarkers::kMaxMarkers);
    EXPECT_EQ(f.ShaderRichEdit->extraSelections().size(), LineMarkers::kMaxMarkers);
    // The last message lies past the few thousand places that follow edits: it still leads
    // to its line.
    f.glslValidateMemo->setTextCursor(QTextCursor(f.glslValidateMemo->document()->findBlockByNumber(last)));
    f.glslValidateMemo->ensureCursorVisible();
    DoubleClickPanelLine(*f.glslValidateMemo, last);
    EXPECT_EQ(f.ShaderRichEdit->textCursor().blockNumber(), 2001);
}

// A line of megabytes (a log gone wrong) is shown cut, quickly; copying gives all of it.
TEST(OutputPanelLines, AVeryLongLineIsShownCutAndCopiedWhole)
{
    OutputPanel panel;
    panel.resize(400, 200);
    panel.show();
    const QString longLine = QStringLiteral("ERROR: ") + QString(1000000, QLatin1Char('('));
    panel.replaceLines({QStringLiteral("first"), longLine, QStringLiteral("last")});
    QApplication::processEvents();
    const QString shown = panel.document()->findBlockByNumber(1).text();
    EXPECT_LT(shown.size(), 5000);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("[... line cut, 1000007 characters in all]"))) << shown.right(60).toStdString();
    EXPECT_EQ(panel.lines()[1], longLine);

    panel.selectAll();
    panel.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first\n") + longLine + QStringLiteral("\nlast"));
}

} // namespace
