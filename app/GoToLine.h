#pragma once

#include <QString>

#include <optional>

class QPlainTextEdit;

struct LineColumn {
    int line = 1;   // 1-based
    int column = 0; // 1-based; 0 when not given
};

// "12" or "12:5" (blanks around the numbers allowed); nothing for anything else or a number
// below 1.
std::optional<LineColumn> ParseLineColumn(const QString& text);

// Puts the caret on the line (the last one when beyond it) at the column (within the line)
// and shows it.
void GoToLineColumn(QPlainTextEdit* editor, LineColumn where);
