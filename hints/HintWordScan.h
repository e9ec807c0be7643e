#pragma once

#include <QString>
#include <QStringView>

// The word under the pointer as the pointer hints take it from a line's text.
//
// position is the 0-based index of the character under the pointer; a position at or past
// the end of the line stands for the end of the line. Going back, the word stops at the
// nearest of the seven delimiters blank = * + - / ( at or before the character under the
// pointer. Going forward it stops only at a blank at or after that character, or at a "("
// after it. So "x,sin" or "\tsin" (comma, tab) stay one word, and the pointer on the "(" of
// "sin(x)" takes the word after it. A negative position gives an empty word.
QString ExtractHintWord(QStringView line, int position);
