#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// A UBSan finding must end the run like any other failure, or libFuzzer would go on past it.
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

void FuzzCheckFailed(const char* condition, const char* file, int line, const QString& detail)
{
    std::fprintf(stderr, "\n==FUZZ CHECK FAILED== %s:%d: %s\n  %s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

QString FuzzText(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return QString();
    if ((data[0] & 0x80) == 0)
        return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // Raw UTF-16 units after the selector byte (an odd byte at the end is dropped).
    const std::size_t units = (size - 1) / 2;
    QString text(qsizetype(units), Qt::Uninitialized);
    for (std::size_t i = 0; i < units; ++i)
        text[qsizetype(i)] = QChar(char16_t(data[1 + 2 * i] | (data[2 + 2 * i] << 8)));
    return text;
}

bool IsWellFormedUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0)
                lo = 0xA0;
            if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0)
                lo = 0x90;
            if (b == 0xF4)
                hi = 0x8F;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= extra; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        i += 1 + extra;
    }
    return true;
}

QString ExpectedText(const QByteArray& bytes, bool dropBom)
{
    if (!IsWellFormedUtf8(bytes))
        return QString::fromLatin1(bytes);
    // QString::fromUtf8 drops a leading byte order mark by itself; a letter in front keeps
    // every character, so the mark is dropped here and only when asked.
    QString text = QString::fromUtf8(QByteArray("a") + bytes).mid(1);
    if (dropBom && text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

std::string Escaped(const QString& text)
{
    std::string out = "\"";
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'"' && u != u'\\') {
            out += char(u);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", unsigned(u));
            out += buffer;
        }
    }
    return out + "\"";
}

std::string Escaped(const QByteArray& bytes)
{
    std::string out = "\"";
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += char(b);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", unsigned(b));
            out += buffer;
        }
    }
    return out + "\"";
}

FuzzTempFile::FuzzTempFile()
{
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/lumenpad-fuzz-XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        std::perror("lumenpad fuzz: mkstemp");
        std::abort();
    }
    path_ = QString::fromLocal8Bit(pattern.c_str());
}

FuzzTempFile::~FuzzTempFile()
{
    ::close(fd_);
    ::unlink(path_.toLocal8Bit().constData());
}

void FuzzTempFile::write(const QByteArray& bytes)
{
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, bytes.constData(), size_t(bytes.size()), 0) != bytes.size()) {
        std::perror("lumenpad fuzz: writing the temporary file");
        std::abort();
    }
}
