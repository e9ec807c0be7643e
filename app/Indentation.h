#pragma once

// Indentation and line comments on the lines a selection touches. Each command is one undo
// step. The lines touched run from the line of the selection's start to the line of its end,
// leaving out a last line that the selection reaches only at its first column; without a
// selection, the caret's line.

class QPlainTextEdit;

// Puts width blanks before every line that holds text; with a selection, selects the lines.
void IndentLines(QPlainTextEdit* editor, int width);
// Takes one level of indentation off every line: a leading tab, or up to width leading blanks.
void UnindentLines(QPlainTextEdit* editor, int width);
// Comments out the lines with "// " at their common indentation; when every line holding text
// is a "//" comment already, takes the "//" (and one blank after it) off instead.
void ToggleLineComment(QPlainTextEdit* editor);
// Return: the new line starts with the white space the caret's line starts with (up to the caret).
void InsertIndentedLineBreak(QPlainTextEdit* editor);
// Tab where nothing spanning lines is selected: blanks up to the next multiple of width columns.
void InsertSoftTab(QPlainTextEdit* editor, int width);
// Whether the selection spans more than one line (Tab then indents the lines).
bool SelectionSpansLines(const QPlainTextEdit* editor);
