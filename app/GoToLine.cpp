#include "GoToLine.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>

#include <algorithm>

std::optional<LineColumn> ParseLineColumn(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,9})\\s*(?::\\s*(\\d{1,9})\\s*)?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    LineColumn where;
    where.line = match.captured(1).toInt();
    where.column = match.hasCaptured(2) ? match.captured(2).toInt() : 0;
    if (where.line < 1 || (match.hasCaptured(2) && where.column < 1))
        return std::nullopt;
    return where;
}

QTextCursor CursorAt(const QTextDocument* document, LineColumn where)
{
    QTextBlock block = document->findBlockByNumber(std::max(where.line, 1) - 1);
    if (!block.isValid())
        block = document->lastBlock();
    QTextCursor caret(block);
    if (where.column > 1)
        caret.setPosition(block.position() + std::min(where.column - 1, block.length() - 1));
    return caret;
}

void GoToLineColumn(QPlainTextEdit* editor, LineColumn where)
{
    editor->setTextCursor(CursorAt(editor->document(), where));
    editor->ensureCursorVisible();
}
