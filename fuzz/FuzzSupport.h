#pragma once

// Shared by the fuzz targets: a check that stops the run with a readable reason, and helpers
// to turn the fuzzer's bytes into the strings the readers take.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

// Reports the failed property with the input's size and aborts, which libFuzzer records as a
// crash and saves the input for.
[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line, const QString& detail);

#define FUZZ_CHECK(condition, detail)                                                                \
    do {                                                                                             \
        if (!(condition))                                                                            \
            FuzzCheckFailed(#condition, __FILE__, __LINE__, (detail));                               \
    } while (false)

inline QByteArray FuzzBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Either UTF-8 (lossy, the common case for text seeds) or raw UTF-16 code units (so lone
// surrogates and any other unit reach the code under test), chosen by the first byte.
QString FuzzText(const std::uint8_t* data, std::size_t size);

// Whether bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF, no sequence cut off at the end), checked without Qt.
bool IsWellFormedUtf8(const QByteArray& bytes);

// What a reader of 8-bit text files should make of bytes: UTF-8 when they are well-formed
// UTF-8, with one leading byte order mark dropped when dropBom, otherwise Latin-1.
QString ExpectedText(const QByteArray& bytes, bool dropBom);

// A readable rendering of a string for failure reports: printable ASCII as is, the rest escaped.
std::string Escaped(const QString& text);
std::string Escaped(const QByteArray& bytes);

// A temporary file for the readers that take a path; written anew for each input.
class FuzzTempFile {
public:
    FuzzTempFile();
    ~FuzzTempFile();
    FuzzTempFile(const FuzzTempFile&) = delete;
    FuzzTempFile& operator=(const FuzzTempFile&) = delete;

    void write(const QByteArray& bytes);
    const QString& path() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
};
