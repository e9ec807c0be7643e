// The highlighter on a real editor, offscreen: what each block's layout holds after loading,
// typing, pasting and scheme changes, and that colouring never acts like an edit.

#include "LanguageSyntax.h"
#include "EditorPalette.h"
#include "LineHighlighter.h"
#include "QtPrinters.h"
#include "SchemeSlots.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <memory>

namespace {

LineColourer TestColourer()
{
    return LineColourer({"float", "vec3", "vec4", "mat4"}, {"uniform", "varying", "const", "highp "},
                        {"vec3", "dot", "normalize", "texture2D", "max"},
                        {"gl_Position", "gl_FragColor", "gl_Vertex", "gl_TexCoord[0]"});
}

// A shader-like text of the given number of lines, with every kind of colouring in it.
QString MakeText(int lines)
{
    static const char* const kLines[] = {
        "uniform vec4 tint; // per draw",
        "varying vec3 normal;",
        "void main()",
        "{",
        "    float d = max(dot(normalize(normal), vec3(0.0, 0.0, 1.0)), 0.0);",
        "    gl_FragColor = vec4(d) * tint; // gl_FragColor",
        "    highp float x = texture2D(s, gl_TexCoord[0].st).r;",
        "}",
        "",
    };
    QStringList out;
    for (int i = 0; i < lines; ++i)
        out << QString::fromLatin1(kLines[i % std::size(kLines)]);
    return out.join(QLatin1Char('\n'));
}

// What a block shows: its layout's formats written as <Role>text</Role>, the role found from
// the format's colour and underline in the current scheme. Characters no format covers are
// drawn in the palette's text colour: <Text> when that is the scheme's TextColour, else
// <palette>. Any bold, italic or strike-out shows as <!style>.
QString Shown(const QTextBlock& block, const QColor& paletteText)
{
    const QString text = block.text();
    const QString plain = paletteText == ColourScheme.TextColour ? QStringLiteral("Text") : QStringLiteral("palette");
    auto uncovered = [&](int from, int to) {
        return QLatin1Char('<') + plain + QLatin1Char('>') + text.mid(from, to - from) + QStringLiteral("</") + plain
            + QLatin1Char('>');
    };
    QString out;
    int at = 0;
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        if (r.start > at)
            out += uncovered(at, r.start);
        QString name;
        for (int role = 0; role < kSyntaxRoleCount && name.isEmpty(); ++role) {
            const bool underline = SyntaxRole(role) == SyntaxRole::StateVar;
            if (r.format.foreground().color() == ExpectedRoleColour(SyntaxRole(role))
                && r.format.fontUnderline() == underline)
                name = QString::fromLatin1(SyntaxRoleName(SyntaxRole(role)));
        }
        if (name.isEmpty())
            name = QStringLiteral("?") + r.format.foreground().color().name() + (r.format.fontUnderline() ? "_u" : "");
        if (r.format.fontWeight() > QFont::Normal || r.format.fontItalic() || r.format.fontStrikeOut())
            name = QStringLiteral("!style");
        out += QLatin1Char('<') + name + QLatin1Char('>') + text.mid(r.start, r.length) + QStringLiteral("</")
            + name + QLatin1Char('>');
        at = r.start + r.length;
    }
    if (at < text.size())
        out += uncovered(at, int(text.size()));
    return out;
}

QString Expected(const QString& text)
{
    QString out;
    for (const ColourSpan& s : TestColourer().colourLine(text)) {
        const QString name = QString::fromLatin1(SyntaxRoleName(s.role));
        out += QLatin1Char('<') + name + QLatin1Char('>') + text.mid(s.start, s.length) + QStringLiteral("</")
            + name + QLatin1Char('>');
    }
    return out;
}

class Highlighter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ColourScheme = TColourScheme{};
        editor = std::make_unique<QPlainTextEdit>();
        editor->resize(800, 600);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        ApplyColourScheme(editor.get(), 0);
        highlighter = new LineHighlighter(editor.get(), TestColourer());
    }
    void TearDown() override
    {
        editor.reset();
        ColourScheme = TColourScheme{};
    }

    QTextDocument* doc() const { return editor->document(); }
    QString shown(const QTextBlock& b) const { return Shown(b, editor->palette().color(QPalette::Text)); }
    QTextBlock block(int n) const { return doc()->findBlockByNumber(n); }

    // Every block shows the colours the core gives its text, in the current scheme.
    void expectAllColoured() const
    {
        int failures = 0;
        for (QTextBlock b = doc()->firstBlock(); b.isValid() && failures < 5; b = b.next()) {
            const QString shown = this->shown(b);
            const QString expected = Expected(b.text());
            if (shown != expected) {
                ++failures;
                ADD_FAILURE() << "block " << b.blockNumber() << "\n  shown:    " << shown.toStdString()
                              << "\n  expected: " << expected.toStdString();
            }
        }
    }

    bool coloured(int n) const { return shown(block(n)) == Expected(block(n).text()); }

    int lastVisibleBlock() const
    {
        return editor->cursorForPosition(QPoint(0, editor->viewport()->height() - 1)).blockNumber();
    }

    std::unique_ptr<QPlainTextEdit> editor;
    LineHighlighter* highlighter = nullptr;
};

TEST_F(Highlighter, LoadingColoursEveryLine)
{
    editor->setPlainText(MakeText(3000));
    highlighter->HighlightAllLines();
    highlighter->finishPending();
    EXPECT_FALSE(highlighter->isPending());
    expectAllColoured();
}

TEST_F(Highlighter, PassFinishesFromTheEventLoop)
{
    editor->setPlainText(MakeText(20000));
    QSignalSpy done(highlighter, &LineHighlighter::allLinesColoured);
    highlighter->HighlightAllLines();
    if (highlighter->isPending()) {
        ASSERT_TRUE(done.wait(20000));
    }
    EXPECT_FALSE(highlighter->isPending());
    EXPECT_EQ(done.count(), 1);
    expectAllColoured();
}

TEST_F(Highlighter, SettingALongTextColoursItWithoutAFullPass)
{
    editor->setPlainText(MakeText(5000));
    EXPECT_TRUE(coloured(0));
    highlighter->finishPending();
    expectAllColoured();
}

TEST_F(Highlighter, LinesInViewComeFirstAndAPaintColoursWhatItShows)
{
    editor->setPlainText(MakeText(60000));
    highlighter->HighlightAllLines();
    highlighter->finishPending();
    // The first slice colours the lines in view and a few more, however fast the machine.
    highlighter->setSliceBudget(0);
    ApplyColourScheme(editor.get(), 1);
    highlighter->HighlightAllLines();

    const int lastInView = lastVisibleBlock();
    ASSERT_GT(lastInView, 10);
    for (int n = 0; n <= lastInView; ++n)
        EXPECT_TRUE(coloured(n)) << "block " << n << ": " << shown(block(n)).toStdString();
    ASSERT_TRUE(highlighter->isPending());

    const int middle = 45000;
    EXPECT_FALSE(coloured(middle)) << "the pass should not have got this far yet";
    editor->verticalScrollBar()->setValue(editor->document()->findBlockByNumber(middle).firstLineNumber());
    editor->viewport()->repaint();
    const int top = editor->cursorForPosition(QPoint(0, 0)).blockNumber();
    ASSERT_GE(top, middle - 5);
    for (int n = top; n <= lastVisibleBlock(); ++n)
        EXPECT_TRUE(coloured(n)) << "block " << n;

    highlighter->finishPending();
    expectAllColoured();
}

TEST_F(Highlighter, TypingRecoloursTheLine)
{
    editor->setPlainText(QStringLiteral("floa x;\nvec4 y;"));
    highlighter->HighlightAllLines();
    QTextCursor c(block(0));
    c.setPosition(4);
    editor->setTextCursor(c);
    // The line is coloured by the time the window hears of the change.
    QString seenInTextChanged;
    const auto connection = QObject::connect(editor.get(), &QPlainTextEdit::textChanged,
                                             [&] { seenInTextChanged = shown(block(0)); });
    QTest::keyClicks(editor.get(), QStringLiteral("t"));
    QObject::disconnect(connection);
    ASSERT_EQ(block(0).text(), QStringLiteral("float x;"));
    EXPECT_EQ(shown(block(0)), QStringLiteral("<DataType>float</DataType><Text> x;</Text>"));
    EXPECT_EQ(seenInTextChanged, shown(block(0)));
    QTest::keyClicks(editor.get(), QStringLiteral("2"));
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>float2 x;</Text>"));
    QTest::keyClick(editor.get(), Qt::Key_End);
    QTest::keyClicks(editor.get(), QStringLiteral(" // vec4"));
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>float2 x; </Text><Comment>// vec4</Comment>"));
    expectAllColoured();
}

TEST_F(Highlighter, TypingRaisesTextChangedOnceAndColouringNever)
{
    editor->setPlainText(MakeText(50));
    highlighter->HighlightAllLines();
    QSignalSpy changed(editor.get(), &QPlainTextEdit::textChanged);
    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor.get(), Qt::Key_V);
    EXPECT_EQ(changed.count(), 1);
    highlighter->HighlightAllLines();
    highlighter->finishPending();
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(Highlighter, PastingThreeLinesColoursAllThree)
{
    editor->setPlainText(QStringLiteral("x\n"));
    highlighter->HighlightAllLines();
    QApplication::clipboard()->setText(QStringLiteral("vec4 a;\nuniform float b;\ngl_Position = c; // d"));
    if (QApplication::clipboard()->text().isEmpty())
        GTEST_SKIP() << "no clipboard on this platform";
    editor->moveCursor(QTextCursor::End);
    editor->paste();
    ASSERT_EQ(doc()->blockCount(), 4);
    EXPECT_EQ(shown(block(1)), QStringLiteral("<DataType>vec4</DataType><Text> a;</Text>"));
    EXPECT_EQ(shown(block(2)), QStringLiteral("<TypeQualifier>uniform</TypeQualifier><Text> </Text>"
                                              "<DataType>float</DataType><Text> b;</Text>"));
    EXPECT_EQ(shown(block(3)), QStringLiteral("<StateVar>gl_Position</StateVar><Text> = c; </Text>"
                                              "<Comment>// d</Comment>"));
}

TEST_F(Highlighter, LineBreakRecoloursBothHalves)
{
    editor->setPlainText(QStringLiteral("vec4uniform x;"));
    highlighter->HighlightAllLines();
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>vec4uniform x;</Text>"));
    QTextCursor c(block(0));
    c.setPosition(4);
    editor->setTextCursor(c);
    QTest::keyClick(editor.get(), Qt::Key_Return);
    ASSERT_EQ(doc()->blockCount(), 2);
    EXPECT_EQ(shown(block(0)), QStringLiteral("<DataType>vec4</DataType>"));
    EXPECT_EQ(shown(block(1)), QStringLiteral("<TypeQualifier>uniform</TypeQualifier><Text> x;</Text>"));

    // Joining them again makes one word that no list holds.
    QTest::keyClick(editor.get(), Qt::Key_Backspace);
    ASSERT_EQ(doc()->blockCount(), 1);
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>vec4uniform x;</Text>"));
}

TEST_F(Highlighter, UndoAndRedoRecolour)
{
    editor->setPlainText(QStringLiteral("vec x;"));
    highlighter->HighlightAllLines();
    editor->moveCursor(QTextCursor::StartOfLine);
    editor->moveCursor(QTextCursor::NextWord);
    editor->moveCursor(QTextCursor::Left);
    QTest::keyClicks(editor.get(), QStringLiteral("4"));
    EXPECT_EQ(shown(block(0)), QStringLiteral("<DataType>vec4</DataType><Text> x;</Text>"));
    editor->undo();
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>vec x;</Text>"));
    editor->redo();
    EXPECT_EQ(shown(block(0)), QStringLiteral("<DataType>vec4</DataType><Text> x;</Text>"));
}

TEST_F(Highlighter, WrappedLineIsColouredAsOne)
{
    editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QString line = QStringLiteral("vec4 a;");
    while (line.size() < 600)
        line += QStringLiteral(" float b = dot(c, d);");
    line += QStringLiteral(" // comment with vec4 and gl_Position and more words to wrap the line further");
    editor->setPlainText(line);
    highlighter->HighlightAllLines();
    ASSERT_GT(block(0).layout()->lineCount(), 1);
    expectAllColoured();
}

TEST_F(Highlighter, EditsDuringAPassStillEndFullyColoured)
{
    editor->setPlainText(MakeText(30000));
    highlighter->HighlightAllLines();
    highlighter->finishPending();
    ApplyColourScheme(editor.get(), 2);
    highlighter->HighlightAllLines();
    // Lines removed near the top move lines the pass has not reached in front of where it
    // stands, and lines added at the end and in the middle come after it.
    QTextCursor c(doc());
    c.setPosition(block(100).position());
    c.setPosition(block(1200).position(), QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("\nvec4 tail;"));
    c.setPosition(block(15000).position());
    c.insertText(MakeText(1500) + QLatin1Char('\n'));
    highlighter->finishPending();
    expectAllColoured();
}

// Colouring leaves no change pending in the document: the next edit reports its own range
// only, and the view is asked to repaint the new colours.
TEST_F(Highlighter, AnEditAfterRecolouringReportsOnlyItself)
{
    editor->setPlainText(MakeText(3000));
    highlighter->HighlightAllLines();
    highlighter->finishPending();
    ApplyColourScheme(editor.get(), 2);
    highlighter->HighlightAllLines();
    highlighter->finishPending();

    QSignalSpy change(doc(), &QTextDocument::contentsChange);
    QTextCursor c(block(1500));
    c.insertText(QStringLiteral("x"));
    ASSERT_EQ(change.count(), 1);
    EXPECT_EQ(change[0][0].toInt(), block(1500).position());
    EXPECT_EQ(change[0][1].toInt(), 0);
    EXPECT_EQ(change[0][2].toInt(), 1);
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(Highlighter, RecolouringRepaintsTheView)
{
    editor->setPlainText(MakeText(40));
    highlighter->HighlightAllLines();
    QTest::qWait(50);
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);
    highlighter->setColourer(LineColourer({"tint"}, {}, {}, {}));
    highlighter->HighlightAllLines();
    QTest::qWait(50);
    EXPECT_GE(counter.paints, 1);
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>uniform vec4 </Text><DataType>tint</DataType><Text>; </Text>"
                                              "<Comment>// per draw</Comment>"));
}

class RecolouringIsNoEdit : public Highlighter, public ::testing::WithParamInterface<bool> {};

TEST_P(RecolouringIsNoEdit, SchemeChangeKeepsFlagCaretAndView)
{
    const bool modified = GetParam();
    editor->setPlainText(MakeText(8000));
    highlighter->HighlightAllLines();
    highlighter->finishPending();
    QTextCursor c(block(3000));
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    c.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
    editor->setTextCursor(c);
    editor->verticalScrollBar()->setValue(2950);
    doc()->setModified(modified);
    const int scroll = editor->verticalScrollBar()->value();
    const int undoSteps = doc()->availableUndoSteps();
    const int revision = doc()->revision();
    ASSERT_EQ(scroll, 2950);

    QSignalSpy textChanged(editor.get(), &QPlainTextEdit::textChanged);
    QSignalSpy contentsChanged(doc(), &QTextDocument::contentsChanged);
    QSignalSpy contentsChange(doc(), &QTextDocument::contentsChange);
    QSignalSpy modificationChanged(doc(), &QTextDocument::modificationChanged);
    QSignalSpy cursorMoved(editor.get(), &QPlainTextEdit::cursorPositionChanged);
    QSignalSpy done(highlighter, &LineHighlighter::allLinesColoured);

    ApplyColourScheme(editor.get(), 1);
    highlighter->HighlightAllLines();
    if (highlighter->isPending()) {
        ASSERT_TRUE(done.wait(20000));
    }
    QApplication::processEvents();

    EXPECT_EQ(textChanged.count(), 0);
    EXPECT_EQ(contentsChanged.count(), 0);
    EXPECT_EQ(contentsChange.count(), 0);
    EXPECT_EQ(modificationChanged.count(), 0);
    EXPECT_EQ(cursorMoved.count(), 0);
    EXPECT_EQ(doc()->isModified(), modified);
    EXPECT_EQ(doc()->availableUndoSteps(), undoSteps);
    EXPECT_EQ(doc()->revision(), revision);
    EXPECT_EQ(editor->textCursor().anchor(), c.anchor());
    EXPECT_EQ(editor->textCursor().position(), c.position());
    EXPECT_EQ(editor->verticalScrollBar()->value(), scroll);
    expectAllColoured();
}

INSTANTIATE_TEST_SUITE_P(Flag, RecolouringIsNoEdit, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Modified" : "Unmodified"; });

TEST_F(Highlighter, NoSchemeShowsBlackTextOnWhiteWithStateVarsUnderlined)
{
    QPlainTextEdit plain;
    plain.resize(400, 300);
    plain.show();
    ColourScheme = TColourScheme{};
    ApplyColourScheme(&plain, -1);
    auto* h = new LineHighlighter(&plain, TestColourer());
    plain.setPlainText(QStringLiteral("vec4 gl_Position; // gl_Position"));
    h->HighlightAllLines();
    EXPECT_EQ(plain.palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(plain.palette().color(QPalette::Text), QColor(Qt::black));
    const auto formats = plain.document()->firstBlock().layout()->formats();
    ASSERT_FALSE(formats.isEmpty());
    int underlined = 0;
    for (const QTextLayout::FormatRange& r : formats) {
        EXPECT_EQ(r.format.foreground().color(), QColor(Qt::black));
        if (r.format.fontUnderline()) {
            ++underlined;
            EXPECT_EQ(plain.document()->firstBlock().text().mid(r.start, r.length), QStringLiteral("gl_Position"));
        }
    }
    EXPECT_EQ(underlined, 1);
}

TEST_F(Highlighter, PlainTextTakesTheSchemeTextColourEvenWhenTheSchemeWasAppliedElsewhere)
{
    editor->setPlainText(QStringLiteral("x = 1; vec4 y;"));
    highlighter->HighlightAllLines();
    QPlainTextEdit other;
    ApplyColourScheme(&other, 2);
    highlighter->HighlightAllLines();
    EXPECT_EQ(editor->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(shown(block(0)), QStringLiteral("<Text>x = 1; </Text><DataType>vec4</DataType><Text> y;</Text>"));
}

// Counts pixels close to a colour in what the editor's viewport shows.
int PixelsNear(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) < 40 && std::abs(p.green() - colour.green()) < 40
                && std::abs(p.blue() - colour.blue()) < 40)
                ++count;
        }
    }
    return count;
}

TEST_F(Highlighter, TheViewShowsTheSchemeColours)
{
    QFont font = editor->font();
    font.setPointSize(16);
    editor->setFont(font);
    editor->setPlainText(QStringLiteral("vec4 vec4 vec4 vec4\n// comment comment comment"));
    highlighter->HighlightAllLines();
    QImage shot = editor->viewport()->grab().toImage();
    EXPECT_GT(PixelsNear(shot, QColor(0xFF, 0x00, 0x00)), 20);
    EXPECT_GT(PixelsNear(shot, QColor(0x00, 0x80, 0x00)), 20);

    ApplyColourScheme(editor.get(), 1);
    highlighter->HighlightAllLines();
    shot = editor->viewport()->grab().toImage();
    EXPECT_EQ(PixelsNear(shot, QColor(0xFF, 0x00, 0x00)), 0);
    EXPECT_GT(PixelsNear(shot, QColor(0xA6, 0xCA, 0xF0)), 20);
    EXPECT_GT(PixelsNear(shot, QColor(0x00, 0x00, 0x00)), shot.width() * shot.height() / 2);
}

TEST_F(Highlighter, EditorMayGoWhileAPassRuns)
{
    editor->setPlainText(MakeText(40000));
    ApplyColourScheme(editor.get(), 2);
    highlighter->setSliceBudget(0);
    highlighter->HighlightAllLines();
    ASSERT_TRUE(highlighter->isPending());
    const QPointer<LineHighlighter> watched(highlighter);
    editor.reset();
    QApplication::processEvents();
    // The pass went with its editor; no slice runs on a document that is gone.
    EXPECT_TRUE(watched.isNull());
}

} // namespace

namespace {

TEST_F(Highlighter, ABlockCommentOpenedAboveColoursTheLinesBelowAndClosingGivesThemBack)
{
    editor->setPlainText(MakeText(3000));
    highlighter->finishPending();
    auto commented = [&](int n) {
        const QString text = block(n).text();
        return text.isEmpty() || shown(block(n)) == QStringLiteral("<Comment>") + text + QStringLiteral("</Comment>");
    };
    QTextCursor(doc()).insertText(QStringLiteral("/*"));
    for (int n = 0; n <= lastVisibleBlock(); ++n)
        EXPECT_TRUE(commented(n)) << "block " << n << " in view: " << shown(block(n)).toStdString();
    highlighter->finishPending();
    EXPECT_TRUE(commented(2998)) << shown(block(2998)).toStdString();

    editor->undo();
    highlighter->finishPending();
    expectAllColoured();
}

// A line too long to colour is shown plain, yet a comment it opens still reaches the lines
// below; shortened under the limit it takes its colours again.
TEST_F(Highlighter, ALineTooLongToColourIsPlainAndItsCommentStillCarriesOn)
{
    const QString longLine = QStringLiteral("vec4 a; /*") + QString(20000, QLatin1Char('x'));
    editor->setPlainText(longLine + QStringLiteral("\nfloat b; */ vec4 c;"));
    highlighter->finishPending();
    EXPECT_TRUE(block(0).layout()->formats().isEmpty());
    EXPECT_EQ(shown(block(1)), QStringLiteral("<Comment>float b; */</Comment><Text> </Text><DataType>vec4</DataType><Text> c;</Text>"));

    QTextCursor cut(block(0));
    cut.setPosition(block(0).position() + 20);
    cut.setPosition(block(0).position() + block(0).length() - 1, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    highlighter->finishPending();
    EXPECT_EQ(shown(block(0)), QStringLiteral("<DataType>vec4</DataType><Text> a; </Text><Comment>/*xxxxxxxxxx</Comment>"));
}

} // namespace
