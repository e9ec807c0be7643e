#include "ShaderDocument.h"

#include "LumenpadError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

DecodedShaderText DecodeShaderText(const QByteArray& bytes, const QString& pathForMessages)
{
    if (bytes.contains('\0'))
        throw LumenpadError(QStringLiteral("Datei %1 enthält NUL-Zeichen und ist keine Textdatei; "
                                           "sie wird nicht geöffnet, damit sie unverändert bleibt")
                                .arg(pathForMessages));
    DecodedShaderText result;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes);
        result.encoding = TextEncoding::Latin1;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n')) {
            result.lineEnd = LineEndStyle::Lf;
            break;
        }
        if (text[i] == QLatin1Char('\r')) {
            result.lineEnd = (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? LineEndStyle::CrLf
                                                                                       : LineEndStyle::Cr;
            break;
        }
    }
    // The editor separates lines by '\n' alone; every other break becomes one.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    result.text = std::move(text);
    return result;
}

QByteArray EncodeShaderText(const QString& text, TextEncoding& encoding, LineEndStyle lineEnd)
{
    QString withBreaks = text;
    if (lineEnd == LineEndStyle::CrLf)
        withBreaks.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    else if (lineEnd == LineEndStyle::Cr)
        withBreaks.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    if (encoding == TextEncoding::Latin1) {
        const bool fits = std::all_of(withBreaks.cbegin(), withBreaks.cend(),
                                      [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits)
            return withBreaks.toLatin1();
        encoding = TextEncoding::Utf8;
    }
    return withBreaks.toUtf8();
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw LumenpadError(FileOpenMessage(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw LumenpadError(FileOpenMessage(path, file.errorString()));
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

int writeAll(int fd, const QByteArray& bytes)
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
    if (int err = writeAll(temp.fd, bytes))
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
