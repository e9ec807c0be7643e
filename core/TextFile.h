#pragma once

// Text files as every reader and writer of the program handles them: whole files read through
// the system calls (so a failure keeps its errno), 8-bit text decoded as UTF-8 when it is
// valid UTF-8 and as Latin-1 otherwise (so no byte is ever lost), lines split at CR LF, LF or
// CR, and files replaced atomically.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

enum class TextEncoding { Utf8, Latin1 };

// Whether a UTF-8 byte order mark at the start stays in the text as U+FEFF. Shader files keep
// it, so saving gives back the same bytes; data files drop it, as it is no part of an entry.
enum class ByteOrderMark { Drop, Keep };

// UTF-8 when the bytes are valid UTF-8, otherwise Latin-1 (every byte one character).
QString DecodeUtf8OrLatin1(QByteArrayView bytes, TextEncoding* encoding = nullptr,
                           ByteOrderMark bom = ByteOrderMark::Drop);

// A line ends at CR LF, at LF alone or at CR alone; a break after the last line adds no
// line; an empty line is an empty entry. Lines are kept verbatim and in order.
QStringList SplitLines(QStringView text);

// The most any reader takes from one file. Shader sources, word lists, the hint file and
// config.txt are far smaller; this only stops a huge or endless file from eating the memory.
inline constexpr qint64 kMaxReadBytes = qint64(256) << 20;

// Failures of the program's own, beside the errno values (which are positive).
inline constexpr int kNotRegularFile = -1; // a FIFO, a device, a directory: never read
inline constexpr int kFileTooLarge = -2;   // larger than the reader's limit
inline constexpr int kNotOwnFile = -3;     // a file of another user where only one's own will do

struct ReadOptions {
    qint64 maxBytes = kMaxReadBytes;
    bool cutAtLimit = false;  // read the first maxBytes of a larger file instead of refusing it
    bool followLinks = true;  // false: a symbolic link is refused (ELOOP)
    bool ownFileOnly = false; // the file must belong to the user running the program
};

// Reads a whole regular file into bytes; returns 0, the errno of the failing call or one of
// the codes above. The file is opened non-blocking and checked to be a regular file before a
// byte is read, so a FIFO or a device planted under the name cannot stall or flood the reader.
// cut, when given, says whether cutAtLimit left the end of the file unread.
int ReadFileBytes(const QString& path, QByteArray& bytes, const ReadOptions& options = {}, bool* cut = nullptr);

// Reads a whole file; throws LumenpadError with the file-open message naming path.
QByteArray ReadWholeFile(const QString& path);

// Writes a file atomically: a temporary file beside it is renamed over it only after all
// bytes reached the disk, so a failed write leaves the old file whole. An existing file keeps
// its permissions, owner and group; a symbolic link keeps pointing at the file it names. A
// file the user may not write is not replaced (EACCES). Where renaming would change the file's
// identity (it has other hard links, or its owner or group cannot be given to a new file) it
// is written in place, after a copy of its old bytes that puts them back if the write fails.
// Temporary files left by an earlier save that was killed are removed. Returns 0 or errno.
int WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The system's reason for an errno value (or one of the codes above), as the user reads it.
QString SystemReason(int errorNumber);

// The program's own short messages for the errno values of its data files:
// "Datei nicht gefunden", "Dateizugriff verweigert", "Zu wenig Speicherplatz", otherwise
// "E/A-Fehler <errno>".
QString IoErrorMessage(int errorNumber);

// An optionally signed decimal integer that fits an int, and nothing else ("+-5", "", "5x"
// and overflowing numbers are none). The data files cut their number tokens at 32 characters
// before they get here.
bool ParseIntegerToken(QStringView token, int& value);
inline constexpr qsizetype kMaxNumberTokenLength = 32;
