#pragma once

#include <QString>

#include <optional>

class QPlainTextEdit;
class QTextCursor;
class QTextDocument;

struct LineColumn {
    int line = 1;   // 1-based
    int column = 0; // 1-based; 0 when not given
};

// "12" or "12:5" (blanks around the numbers allowed); nothing for anything else or a number
// below 1.
std::optional<LineColumn> ParseLineColumn(const QString& text);

// A caret on the line (the last one when beyond it) at the column (within the line).
QTextCursor CursorAt(const QTextDocument* document, LineColumn where);
// Puts the caret there and shows it.
void GoToLineColumn(QPlainTextEdit* editor, LineColumn where);
