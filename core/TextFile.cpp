#include "TextFile.h"

#include "LumenpadError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

QString DecodeUtf8OrLatin1(QByteArrayView bytes, TextEncoding* encoding, ByteOrderMark bom)
{
    QStringDecoder::Flags flags = QStringDecoder::Flag::Stateless;
    if (bom == ByteOrderMark::Keep)
        flags |= QStringDecoder::Flag::ConvertInitialBom;
    QStringDecoder utf8(QStringDecoder::Utf8, flags);
    QString text = utf8.decode(bytes);
    const bool isUtf8 = !utf8.hasError();
    if (encoding)
        *encoding = isUtf8 ? TextEncoding::Utf8 : TextEncoding::Latin1;
    return isUtf8 ? text : QString::fromLatin1(bytes);
}

QStringList SplitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start).toString());
    return lines;
}

int ReadFileBytes(const QString& path, QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;

    bytes.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return error;
        }
    }
    ::close(fd);
    return 0;
}

QByteArray ReadWholeFile(const QString& path)
{
    QByteArray bytes;
    if (const int err = ReadFileBytes(path, bytes))
        throw LumenpadError(FileOpenMessage(path, SystemReason(err)));
    return bytes;
}

namespace {
// Closes a descriptor and removes the temporary file unless released.
struct TempFileGuard {
    int fd = -1;
    QByteArray path;
    bool keep = false;
    ~TempFileGuard()
    {
        if (fd >= 0)
            ::close(fd);
        if (!keep && !path.isEmpty())
            ::unlink(path.constData());
    }
};

int WriteAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}
} // namespace

int WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // Write through a symbolic link to the file it names, so the link survives.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();

    mode_t mode = 0;
    struct stat existing {};
    const QByteArray targetBytes = QFile::encodeName(target);
    const bool exists = ::stat(targetBytes.constData(), &existing) == 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    TempFileGuard temp;
    temp.path = targetBytes + ".lumenpad-XXXXXX";
    temp.fd = ::mkstemp(temp.path.data());
    if (temp.fd < 0) {
        const int err = errno;
        temp.path.clear();
        return err;
    }
    if (int err = WriteAll(temp.fd, bytes))
        return err;
    if (::fchmod(temp.fd, mode) != 0 || ::fsync(temp.fd) != 0)
        return errno;
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        return errno;
    if (::rename(temp.path.constData(), targetBytes.constData()) != 0)
        return errno;
    temp.keep = true;
    return 0;
}

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString IoErrorMessage(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return QStringLiteral("Datei nicht gefunden");
    case EACCES:
    case EPERM:
        return QStringLiteral("Dateizugriff verweigert");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Zu wenig Speicherplatz");
    default:
        return QStringLiteral("E/A-Fehler %1").arg(errorNumber);
    }
}

bool ParseIntegerToken(QStringView token, int& value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == u'+' || token[i] == u'-')) {
        negative = token[i] == u'-';
        ++i;
    }
    if (i == token.size())
        return false;
    // Accumulated as a negative number so INT_MIN fits as well.
    long long accumulated = 0;
    for (; i < token.size(); ++i) {
        const char16_t c = token[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        accumulated = accumulated * 10 - (c - u'0');
        if (accumulated < std::numeric_limits<int>::min())
            return false;
    }
    if (!negative) {
        accumulated = -accumulated;
        if (accumulated > std::numeric_limits<int>::max())
            return false;
    }
    value = static_cast<int>(accumulated);
    return true;
}
