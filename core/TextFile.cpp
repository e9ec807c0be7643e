#include "TextFile.h"

#include "LumenpadError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
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

namespace {
struct FileDescriptor {
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

// Reads from fd to its end, at most limit bytes; past the limit the read is cut (and cut
// says so) or refused with kFileTooLarge.
int ReadToEnd(int fd, QByteArray& bytes, qint64 limit, bool cutAtLimit, bool* cut)
{
    char chunk[65536];
    for (;;) {
        const qint64 room = limit - bytes.size();
        const ssize_t n = ::read(fd, chunk, size_t(std::min<qint64>(qint64(sizeof chunk), room + 1)));
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        // The file grew past the limit while it was read.
        if (n > room) {
            if (!cutAtLimit) {
                bytes.clear();
                return kFileTooLarge;
            }
            bytes.append(chunk, qsizetype(room));
            if (cut)
                *cut = true;
            return 0;
        }
        bytes.append(chunk, n);
    }
}
} // namespace

int ReadFileBytes(const QString& path, QByteArray& bytes, const ReadOptions& options, bool* cut)
{
    bytes.clear();
    if (cut)
        *cut = false;
    const QByteArray name = QFile::encodeName(path);
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (!options.followLinks)
        flags |= O_NOFOLLOW;
    int fd;
    do {
        fd = ::open(name.constData(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    const FileDescriptor guard{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return kNotRegularFile;
    if (options.ownFileOnly && info.st_uid != ::geteuid())
        return kNotOwnFile;
    const qint64 limit = std::max<qint64>(options.maxBytes, 0);
    if (info.st_size > limit && !options.cutAtLimit)
        return kFileTooLarge;

    bytes.reserve(qsizetype(std::min<qint64>(info.st_size, limit)));
    return ReadToEnd(fd, bytes, limit, options.cutAtLimit, cut);
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

namespace {

constexpr char kTempInfix[] = ".lumenpad-";
constexpr int kTempSuffixLength = 6; // mkstemp's XXXXXX
// A temporary file younger than this may belong to a save still running in another window.
constexpr time_t kStaleTempSeconds = 60;

// Removes "NAME.lumenpad-XXXXXX" files of the user's that a save killed halfway left behind.
void RemoveStaleTemporaries(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray prefix = target.mid(slash + 1) + kTempInfix;
    DIR* listing = ::opendir(dir.constData());
    if (!listing)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + kTempSuffixLength || !name.startsWith(prefix))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && now - info.st_mtime >= kStaleTempSeconds)
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
    ::closedir(listing);
}

int FsyncAndClose(TempFileGuard& temp)
{
    if (::fsync(temp.fd) != 0)
        return errno;
    const int fd = temp.fd;
    temp.fd = -1;
    return ::close(fd) != 0 ? errno : 0;
}

int WriteAt(int fd, const QByteArray& bytes)
{
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    if (const int err = WriteAll(fd, bytes))
        return err;
    if (::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// Overwrites the file itself, so its other names, owner and group stay as they are. Its old
// bytes are first copied to a file beside it; a failed write puts them back, and the copy is
// only kept when even that fails.
int WriteInPlace(const QByteArray& target, const QByteArray& bytes)
{
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    TempFileGuard file;
    file.fd = fd;
    QByteArray old;
    if (const int err = ReadToEnd(fd, old, std::numeric_limits<qint64>::max() - 1, false, nullptr))
        return err;

    TempFileGuard copy;
    copy.path = target + ".lumenpad-copy-XXXXXX";
    copy.fd = ::mkstemp(copy.path.data());
    if (copy.fd < 0) {
        const int err = errno;
        copy.path.clear();
        return err;
    }
    if (int err = WriteAll(copy.fd, old))
        return err;
    if (int err = FsyncAndClose(copy))
        return err;

    const int err = WriteAt(fd, bytes);
    if (err != 0 && WriteAt(fd, old) != 0)
        copy.keep = true;
    return err;
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
        if (!S_ISREG(existing.st_mode))
            return kNotRegularFile;
        // The directory's permission to rename would let a read-only or foreign file be
        // replaced; what counts is whether the file itself may be written.
        if (::faccessat(AT_FDCWD, targetBytes.constData(), W_OK, AT_EACCESS) != 0)
            return errno;
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    RemoveStaleTemporaries(targetBytes);
    if (exists && existing.st_nlink > 1)
        return WriteInPlace(targetBytes, bytes);

    TempFileGuard temp;
    temp.path = targetBytes + kTempInfix + QByteArray(kTempSuffixLength, 'X');
    temp.fd = ::mkstemp(temp.path.data());
    if (temp.fd < 0) {
        const int err = errno;
        temp.path.clear();
        return err;
    }
    if (exists) {
        struct stat made {};
        if (::fstat(temp.fd, &made) != 0)
            return errno;
        if ((made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) &&
            ::fchown(temp.fd, existing.st_uid, existing.st_gid) != 0) {
            // A new file could not carry the old owner and group: keep the file itself.
            ::close(temp.fd);
            temp.fd = -1;
            ::unlink(temp.path.constData());
            temp.path.clear();
            return WriteInPlace(targetBytes, bytes);
        }
    }
    if (int err = WriteAll(temp.fd, bytes))
        return err;
    if (::fchmod(temp.fd, mode) != 0)
        return errno;
    if (int err = FsyncAndClose(temp))
        return err;
    if (::rename(temp.path.constData(), targetBytes.constData()) != 0)
        return errno;
    temp.keep = true;
    return 0;
}

QString SystemReason(int errorNumber)
{
    switch (errorNumber) {
    case kNotRegularFile:
        return QStringLiteral("not a regular file");
    case kFileTooLarge:
        return QStringLiteral("larger than %1 MB").arg(kMaxReadBytes >> 20);
    case kNotOwnFile:
        return QStringLiteral("the file belongs to another user");
    default:
        break;
    }
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
    case kNotRegularFile:
        return QStringLiteral("Keine normale Datei");
    case kFileTooLarge:
        return QStringLiteral("Datei zu groß");
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
