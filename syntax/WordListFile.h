#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The word-list file format: 8-bit text read whole, one entry per line.

// Decodes a file's bytes: UTF-8 when the bytes are valid UTF-8, otherwise Latin-1, so every
// byte stands for one character and nothing is lost. A NUL byte ends the text.
QString DecodeWordListText(const QByteArray& bytes);

// Splits text into entries: a line ends at CR LF, at LF alone or at CR alone; a line break
// after the last line adds no entry; an empty line gives an empty entry. Entries are kept
// verbatim (blanks included) and in order, duplicates too.
QStringList SplitWordListLines(QStringView text);

// Reads one word-list file. A file that cannot be opened or read throws LumenpadError with
// the file-open message naming the file's full path and the system's reason.
QStringList ReadWordListFile(const QString& path);
