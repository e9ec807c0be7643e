// The editor for every day: indentation and comments, the keys, find and replace, completion.
#include "WindowFixture.h"

#include "Completion.h"
#include "EventLoopWait.h"
#include "FindBar.h"
#include "Indentation.h"
#include "LineMarkers.h"
#include "QtPrinters.h"
#include "ShaderEditor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Text with the selection written into it: "[" anchor, "]" position; "|" a bare caret.
void SetMarked(QPlainTextEdit& editor, QString marked)
{
    const qsizetype caret = marked.indexOf(QLatin1Char('|'));
    qsizetype anchor = marked.indexOf(QLatin1Char('['));
    marked.remove(QLatin1Char('|')).remove(QLatin1Char('['));
    qsizetype position = marked.indexOf(QLatin1Char(']'));
    marked.remove(QLatin1Char(']'));
    editor.setPlainText(marked);
    if (caret >= 0)
        anchor = position = caret;
    QTextCursor c(editor.document());
    c.setPosition(int(anchor));
    c.setPosition(int(position), QTextCursor::KeepAnchor);
    editor.setTextCursor(c);
}

std::string Marked(const QPlainTextEdit& editor)
{
    QString text = editor.toPlainText();
    const QTextCursor c = editor.textCursor();
    if (!c.hasSelection())
        return text.insert(c.position(), QLatin1Char('|')).toStdString();
    return text.insert(c.position(), QLatin1Char(']')).insert(c.anchor(), QLatin1Char('[')).toStdString();
}

struct LineCommand {
    const char* name;
    std::function<void(QPlainTextEdit*)> run;
    const char* before;
    const char* after;
};

TEST(Editing, LineCommandsAreOneUndoStepEach)
{
    const LineCommand commands[] = {
        {"indent skips empty lines and a line the selection only touches at its start",
         [](QPlainTextEdit* e) { IndentLines(e, 4); }, "[a\n\nb\n]c", "[    a\n\n    b\n]c"},
        {"unindent takes a tab or up to a tab width of blanks", [](QPlainTextEdit* e) { UnindentLines(e, 4); },
         "[\tx\n      y\n  z\nw]", "[x\n  y\nz\nw]"},
        {"comment at the lines' common indentation", ToggleLineComment, "[    a\n  b\n]", "[  //   a\n  // b\n]"},
        {"comment the caret's line", ToggleLineComment, "  a|", "  // a|"},
        {"uncomment when every line is a comment", ToggleLineComment, "[  // a\n//b]", "[  a\nb]"},
        {"a line break keeps the indentation", InsertIndentedLineBreak, "    x|", "    x\n    |"},
        {"a line break inside the indentation keeps what is left of the caret", InsertIndentedLineBreak,
         "  |  y", "  \n  |  y"},
        {"a soft tab goes to the next tab stop", [](QPlainTextEdit* e) { InsertSoftTab(e, 4); }, "\tab|",
         "\tab  |"},
    };
    ShaderEditor editor;
    for (const LineCommand& c : commands) {
        SetMarked(editor, QString::fromUtf8(c.before));
        const QString plainBefore = editor.toPlainText();
        c.run(&editor);
        EXPECT_EQ(Marked(editor), c.after) << c.name;
        editor.undo();
        EXPECT_EQ(editor.toPlainText(), plainBefore) << c.name << ": one undo step";
    }
}

TEST(Editing, TabKeyIndentsByPreferenceAndReturnKeepsTheIndentation)
{
    ShaderEditor editor;
    Preferences p;
    editor.applyPreferences(p);
    EXPECT_DOUBLE_EQ(editor.tabStopDistance(), 4 * QFontMetricsF(editor.font()).horizontalAdvance(QLatin1Char(' ')));
    EXPECT_TRUE(editor.tabChangesFocus());

    p.tabKeyIndents = true;
    editor.applyPreferences(p);
    SetMarked(editor, QStringLiteral("[a\nb]"));
    QTest::keyClick(&editor, Qt::Key_Tab);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("    a\n    b"));
    QTest::keyClick(&editor, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("a\nb"));

    SetMarked(editor, QStringLiteral("  x|"));
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_EQ(Marked(editor), "  x\n  |");
    p.autoIndent = false;
    editor.applyPreferences(p);
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_EQ(Marked(editor), "  x\n  \n|");
}

TEST(Editing, CompletionOpensAfterThreeCharactersOfAKnownWord)
{
    const std::tuple<const char*, bool, bool> typed[] = {
        {"tex", true, true},     // texture2D and texelFetch start so
        {"te", true, false},     // two are not enough
        {"zzz", true, false},    // no word starts so
        {"vec4", true, false},   // a whole word with nothing longer
        {"tex", false, false},   // automatic completion is off
    };
    ShaderEditor editor;
    editor.setCompletionWords(std::make_shared<CompletionWords>(
        QStringList{"vec4", "texture2D", "texelFetch", "normalize"}, nullptr));
    editor.show();
    for (const auto& [text, automatic, opens] : typed) {
        editor.completion()->setAutomatic(automatic);
        editor.clear();
        QTest::keyClicks(&editor, QString::fromLatin1(text));
        EXPECT_EQ(editor.completion()->isOpen(), opens) << text << (automatic ? "" : " (off)");
        editor.completion()->completer()->popup()->hide();
    }
    // Ctrl+Space offers completion for any start; Return takes the chosen word.
    editor.setPlainText(QStringLiteral("x = norm"));
    editor.moveCursor(QTextCursor::End);
    editor.completion()->complete();
    ASSERT_TRUE(editor.completion()->isOpen());
    QTest::keyClick(editor.completion()->completer()->popup(), Qt::Key_Return);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("x = normalize"));
}

class Keys : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = &w.start();
        form->show();
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == form->ShaderRichEdit; }, 2000))
            << "the focus starts in the active editor";
        editor = form->ShaderRichEdit;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    FindBar& bar() { return *form->findBar(); }
    int matchesShown() const
    {
        QCoreApplication::processEvents();
        return int(editor->extraSelections().size());
    }

    WindowFixture w;
    TMainForm* form = nullptr;
    ShaderEditor* editor = nullptr;
};

TEST_F(Keys, ReachTheirCommands)
{
    editor->setPlainText(QStringLiteral("a\nbb\nccc\nd\n"));
    editor->markers().add(4, 0, LineMarker::Kind::Error, QStringLiteral("marked"));
    w.dialogs.goToLines = {QStringLiteral("3:2")};
    press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Marked(*editor), "a\nbb\nc|cc\nd\n");
    press(Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_EQ(editor->document()->findBlockByNumber(2).text(), QStringLiteral("// ccc"));
    press(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(editor->document()->findBlockByNumber(2).text(), QStringLiteral("    // ccc"));
    press(Qt::Key_F4);
    EXPECT_EQ(editor->textCursor().blockNumber(), 3);
    press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(bar().isHidden());
    EXPECT_EQ(QApplication::focusWidget(), bar().findField());
}

TEST_F(Keys, FindHonoursCaseWholeWordsAndExpressions)
{
    struct Row {
        const char* text;
        bool matchCase, wholeWords, regex;
        int matches;
    };
    const Row rows[] = {
        {"vec", false, false, false, 5},
        {"vec", true, false, false, 4},
        {"vec", false, true, false, 3}, // vec_x is one word in a shader
        {"v\\w*r", false, false, true, 1},
        {"v\\w*r", false, false, false, 0},
    };
    editor->setPlainText(QStringLiteral("Vec vec vector\nvec_x vec\n"));
    press(Qt::Key_F, Qt::ControlModifier);
    for (const Row& row : rows) {
        bar().caseOption()->setChecked(row.matchCase);
        bar().wordOption()->setChecked(row.wholeWords);
        bar().regexOption()->setChecked(row.regex);
        bar().findField()->clear();
        QTest::keyClicks(bar().findField(), QString::fromLatin1(row.text));
        EXPECT_TRUE(WaitFor([&] { return matchesShown() == row.matches; }, 2000))
            << row.text << " shows " << matchesShown() << " matches";
    }
    // Incremental from the caret, then F3 and Shift+F3 step through the matches, wrapping.
    bar().regexOption()->setChecked(false);
    bar().caseOption()->setChecked(true);
    bar().findField()->clear();
    editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(bar().findField(), QStringLiteral("vec"));
    EXPECT_EQ(Marked(*editor), "Vec [vec] vector\nvec_x vec\n");
    press(Qt::Key_F3);
    press(Qt::Key_F3);
    EXPECT_EQ(Marked(*editor), "Vec vec vector\n[vec]_x vec\n");
    press(Qt::Key_F3);
    press(Qt::Key_F3);
    EXPECT_EQ(Marked(*editor), "Vec [vec] vector\nvec_x vec\n");
    press(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Marked(*editor), "Vec vec vector\nvec_x [vec]\n");

    press(Qt::Key_Escape);
    EXPECT_TRUE(bar().isHidden());
    EXPECT_EQ(matchesShown(), 0);
    EXPECT_EQ(QApplication::focusWidget(), editor);
}

TEST_F(Keys, ReplaceAllIsOneUndoStep)
{
    editor->setPlainText(QStringLiteral("a.x + b.x + c.xy"));
    press(Qt::Key_H, Qt::ControlModifier);
    bar().regexOption()->setChecked(true);
    bar().wordOption()->setChecked(true);
    QTest::keyClicks(bar().findField(), QStringLiteral("(\\w)\\.x"));
    QTest::keyClicks(bar().replaceField(), QStringLiteral("\\1.y"));
    EXPECT_EQ(bar().replaceAll(), 2);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("a.y + b.y + c.xy"));
    editor->undo();
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("a.x + b.x + c.xy"));
}

} // namespace
