#include "WordListFile.h"

#include "LumenpadError.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    QByteArray bytes;
    QStringList entries;
};

QByteArray Bytes(const char* text, qsizetype size)
{
    return QByteArray(text, size);
}

class WordListSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WordListSplit, GivesTheEntries)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitLines(DecodeWordListText(c.bytes)), c.entries);
}

// Lines are split by the shared text-file module; what is the word list's own: a NUL ends
// the text, a byte order mark is no part of the first entry.
const SplitCase kSplitCases[] = {
    {"CrLf", "vec2\r\nvec3\r\nvec4\r\n", {"vec2", "vec3", "vec4"}},
    {"NulEndsText", Bytes("vec2\nve\0c3\nvec4\n", 16), {"vec2", "ve"}},
    {"NulAtLineStart", Bytes("vec2\n\0vec3", 10), {"vec2"}},
    {"NulFirst", Bytes("\0vec2\n", 6), {}},
    {"Latin1WhenNotUtf8", "gr\xF6\xDF" "e\n", {QStringLiteral(u"größe")}},
    {"Utf8ByteOrderMarkDropped", "\xEF\xBB\xBFvec2\nvec3", {"vec2", "vec3"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, WordListSplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WordListFile, ReadsTheFileWhole)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file("list.txt"), "uniform\r\nvarying \r\n\r\nconst");
    EXPECT_EQ(ReadWordListFile(QStringLiteral("list.txt")),
              QStringList({"uniform", "varying ", "", "const"}));
}

TEST(WordListFile, MissingFileNamesItsFullPathAndTheReason)
{
    ScopedWorkDir dir;
    try {
        ReadWordListFile(QStringLiteral("syntax_datatypes.txt"));
        FAIL() << "no failure raised";
    } catch (const LumenpadError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Datei ") + QDir::toNativeSeparators(dir.file("syntax_datatypes.txt"))
                                   + QStringLiteral(" kann nicht geöffnet werden. No such file or directory"));
    }
}

TEST(WordListFile, DirectoryIsNotAList)
{
    ScopedWorkDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("syntax_statevars.txt"));
    try {
        ReadWordListFile(QStringLiteral("syntax_statevars.txt"));
        FAIL() << "no failure raised";
    } catch (const LumenpadError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Datei ") + dir.file("syntax_statevars.txt")
                                           + QStringLiteral(" kann nicht geöffnet werden. ")))
            << e.message().toStdString();
    }
}

} // namespace
