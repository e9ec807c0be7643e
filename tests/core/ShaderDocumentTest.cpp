#include "LumenpadError.h"
#include "ShaderDocument.h"
#include "TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct RoundTrip {
    const char* name;
    QByteArray bytes;
    TextEncoding encoding;
    LineEndStyle lineEnd;
    QString editorText;
};

class ShaderTextRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ShaderTextRoundTrip, DecodesAndGivesBackTheSameBytes)
{
    const RoundTrip& c = GetParam();
    const DecodedShaderText d = DecodeShaderText(c.bytes, QStringLiteral("x.vert"));
    EXPECT_EQ(d.text, c.editorText);
    EXPECT_EQ(d.encoding, c.encoding);
    EXPECT_EQ(d.lineEnd, c.lineEnd);
    TextEncoding encoding = d.encoding;
    EXPECT_EQ(EncodeShaderText(d.text, encoding, d.lineEnd), c.bytes);
    EXPECT_EQ(encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ShaderTextRoundTrip,
    ::testing::Values(
        RoundTrip{"lf", "void main()\n{\n}\n", TextEncoding::Utf8, LineEndStyle::Lf, "void main()\n{\n}\n"},
        RoundTrip{"crlf", "a\r\nb\r\n", TextEncoding::Utf8, LineEndStyle::CrLf, "a\nb\n"},
        RoundTrip{"cr", "a\rb", TextEncoding::Utf8, LineEndStyle::Cr, "a\nb"},
        RoundTrip{"no_break", "a", TextEncoding::Utf8, LineEndStyle::CrLf, "a"},
        RoundTrip{"empty", "", TextEncoding::Utf8, LineEndStyle::CrLf, ""},
        RoundTrip{"utf8", "// gr\xC3\xBC\xC3\x9F" "e\n", TextEncoding::Utf8, LineEndStyle::Lf,
                  QStringLiteral("// grüße\n")},
        RoundTrip{"utf8_bom", "\xEF\xBB\xBFx\r\n", TextEncoding::Utf8, LineEndStyle::CrLf,
                  QString(QChar(0xFEFF)) + QStringLiteral("x\n")},
        RoundTrip{"latin1", "// gr\xFC\xDF" "e\r\n", TextEncoding::Latin1, LineEndStyle::CrLf,
                  QStringLiteral("// grüße\n")},
        RoundTrip{"invalid_utf8", "a\xC3\x28\xFF\n", TextEncoding::Latin1, LineEndStyle::Lf,
                  QString::fromLatin1("a\xC3\x28\xFF\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShaderText, NulBytesAreRefused)
{
    try {
        DecodeShaderText(QByteArray("ab\0cd", 5), QStringLiteral("/tmp/x.frag"));
        FAIL() << "a file with NUL bytes was accepted";
    } catch (const LumenpadError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("/tmp/x.frag")));
    }
}

TEST(ShaderText, Latin1FileTakesUtf8WhenTextOutgrowsIt)
{
    TextEncoding encoding = TextEncoding::Latin1;
    const QByteArray bytes = EncodeShaderText(QStringLiteral("π\n"), encoding, LineEndStyle::Lf);
    EXPECT_EQ(encoding, TextEncoding::Utf8);
    EXPECT_EQ(bytes, QByteArray("\xCF\x80\n"));
}

TEST(AtomicWrite, ReplacesContentKeepsPermissionsAndLinks)
{
    ScopedWorkDir dir;
    const QString path = dir.file("a.vert");
    WriteBytes(path, "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(QFile::link(path, dir.file("link.vert")));

    EXPECT_EQ(WriteFileAtomically(dir.file("link.vert"), "new"), 0);
    EXPECT_EQ(ReadBytes(path), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(dir.file("link.vert")).isSymLink());
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "a temporary file was left";
}

TEST(AtomicWrite, FailedWriteLeavesTheOldFileWhole)
{
    ScopedWorkDir dir;
    const QString path = dir.file("a.vert");
    WriteBytes(path, "precious");
    int err = 0;
    {
        const ScopedFileSizeLimit fullDisk(16);
        err = WriteFileAtomically(path, QByteArray(4096, 'x'));
    }
    EXPECT_EQ(err, EFBIG);
    EXPECT_EQ(ReadBytes(path), QByteArray("precious"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(AtomicWrite, MissingDirectoryGivesTheSystemReason)
{
    EXPECT_EQ(WriteFileAtomically(QStringLiteral("/nonexistent-dir/x.vert"), "x"), ENOENT);
    EXPECT_FALSE(SystemReason(ENOENT).isEmpty());
}

} // namespace
