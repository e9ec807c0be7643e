#include "Indentation.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <functional>

namespace {

const QString kCommentMark = QStringLiteral("//");

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Number of leading blanks and tabs of a line.
int IndentOf(const QString& line)
{
    int n = 0;
    while (n < line.size() && IsBlank(line[n]))
        ++n;
    return n;
}

bool HoldsText(const QString& line)
{
    return IndentOf(line) < line.size();
}

struct Lines {
    QTextBlock first;
    QTextBlock last;
};

Lines TouchedLines(const QTextCursor& cursor)
{
    const QTextDocument* document = cursor.document();
    const QTextBlock first = document->findBlock(cursor.selectionStart());
    QTextBlock last = document->findBlock(cursor.selectionEnd());
    if (cursor.hasSelection() && last != first && cursor.selectionEnd() == last.position())
        last = last.previous();
    return {first, last};
}

// Runs edit on each touched line, as one undo step. With a selection the touched lines are
// selected afterwards, so the command can be repeated on the same lines.
void EditLines(QPlainTextEdit* editor, const std::function<void(QTextCursor& at, const QString& line)>& edit)
{
    QTextCursor caret = editor->textCursor();
    const Lines lines = TouchedLines(caret);
    const int firstNumber = lines.first.blockNumber();
    const int lastNumber = lines.last.blockNumber();
    QTextDocument* document = editor->document();
    QTextCursor at(document);
    at.beginEditBlock();
    for (int number = firstNumber; number <= lastNumber; ++number) {
        const QTextBlock block = document->findBlockByNumber(number);
        at.setPosition(block.position());
        edit(at, block.text());
    }
    at.endEditBlock();
    if (!caret.hasSelection())
        return;
    const QTextBlock first = document->findBlockByNumber(firstNumber);
    const QTextBlock last = document->findBlockByNumber(lastNumber);
    caret.setPosition(first.position());
    const QTextBlock after = last.next();
    caret.setPosition(after.isValid() ? after.position() : last.position() + last.length() - 1,
                      QTextCursor::KeepAnchor);
    editor->setTextCursor(caret);
}

} // namespace

void IndentLines(QPlainTextEdit* editor, int width)
{
    const QString unit(std::max(width, 1), QLatin1Char(' '));
    EditLines(editor, [&](QTextCursor& at, const QString& line) {
        if (HoldsText(line))
            at.insertText(unit);
    });
}

void UnindentLines(QPlainTextEdit* editor, int width)
{
    EditLines(editor, [&](QTextCursor& at, const QString& line) {
        int n = 0;
        if (line.startsWith(QLatin1Char('\t')))
            n = 1;
        else
            while (n < width && n < line.size() && line[n] == QLatin1Char(' '))
                ++n;
        if (n == 0)
            return;
        at.setPosition(at.position() + n, QTextCursor::KeepAnchor);
        at.removeSelectedText();
    });
}

void ToggleLineComment(QPlainTextEdit* editor)
{
    const Lines lines = TouchedLines(editor->textCursor());
    bool allCommented = true;
    bool anyText = false;
    int column = -1;
    for (QTextBlock b = lines.first; b.isValid(); b = b.next()) {
        const QString text = b.text();
        if (HoldsText(text)) {
            anyText = true;
            const int indent = IndentOf(text);
            column = column < 0 ? indent : std::min(column, indent);
            allCommented = allCommented && text.mid(indent).startsWith(kCommentMark);
        }
        if (b == lines.last)
            break;
    }
    const bool uncomment = anyText && allCommented;
    const int at = std::max(column, 0);
    EditLines(editor, [&](QTextCursor& cursor, const QString& line) {
        if (uncomment) {
            const int mark = IndentOf(line);
            if (!line.mid(mark).startsWith(kCommentMark))
                return;
            const int length = kCommentMark.size() + (line.mid(mark + 2, 1) == QLatin1String(" ") ? 1 : 0);
            cursor.setPosition(cursor.position() + mark);
            cursor.setPosition(cursor.position() + length, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else if (HoldsText(line) || !anyText) {
            cursor.setPosition(cursor.position() + std::min(at, int(line.size())));
            cursor.insertText(kCommentMark + QLatin1Char(' '));
        }
    });
}

void InsertIndentedLineBreak(QPlainTextEdit* editor)
{
    QTextCursor caret = editor->textCursor();
    const QTextBlock block = editor->document()->findBlock(caret.selectionStart());
    const QString line = block.text();
    const int indent = std::min(IndentOf(line), caret.selectionStart() - block.position());
    caret.insertText(QLatin1Char('\n') + line.left(indent));
    editor->setTextCursor(caret);
    editor->ensureCursorVisible();
}

void InsertSoftTab(QPlainTextEdit* editor, int width)
{
    width = std::max(width, 1);
    QTextCursor caret = editor->textCursor();
    const QTextBlock block = editor->document()->findBlock(caret.selectionStart());
    const QString before = block.text().left(caret.selectionStart() - block.position());
    int column = 0;
    for (QChar c : before)
        column = c == QLatin1Char('\t') ? (column / width + 1) * width : column + 1;
    caret.insertText(QString(width - column % width, QLatin1Char(' ')));
    editor->setTextCursor(caret);
}

bool SelectionSpansLines(const QPlainTextEdit* editor)
{
    const QTextCursor caret = editor->textCursor();
    const Lines lines = TouchedLines(caret);
    return caret.hasSelection() && lines.first != lines.last;
}
