#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The word-list file format: 8-bit text read whole, one entry per line (CR LF, LF or CR),
// entries verbatim (blanks included) and in order, duplicates too.

// Decodes a file's bytes as UTF-8 or Latin-1, dropping a byte order mark. A NUL byte ends
// the text.
QString DecodeWordListText(const QByteArray& bytes);

// Reads one word-list file. A file that cannot be opened or read throws LumenpadError with
// the file-open message naming the file's full path and the system's reason.
QStringList ReadWordListFile(const QString& path);
