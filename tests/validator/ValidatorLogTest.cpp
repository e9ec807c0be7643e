// How a validator log becomes the output panel's lines.

#include "ValidatorRun.h"

#include <gtest/gtest.h>

// Readable failure output for Qt strings (and lists of them).
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct SplitCase {
    const char* name;
    const char* text;
    QStringList lines;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class LogSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LogSplit, EachLineEndEndsOneLine)
{
    EXPECT_EQ(SplitLogLines(QString::fromLatin1(GetParam().text)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, LogSplit,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"NoLineEnd", "a", {"a"}},
                      SplitCase{"FinalLf", "a\n", {"a"}}, SplitCase{"FinalCrLf", "a\r\n", {"a"}},
                      SplitCase{"FinalCr", "a\r", {"a"}}, SplitCase{"LoneLf", "\n", {""}},
                      SplitCase{"TwoCrLf", "\r\n\r\n", {"", ""}}, SplitCase{"EmptyLineKept", "a\n\nb", {"a", "", "b"}},
                      SplitCase{"TrailingEmptyLine", "a\n\n", {"a", ""}}, SplitCase{"CrCr", "a\r\rb", {"a", "", "b"}},
                      SplitCase{"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"CrLfThenLf", "a\r\n\nb", {"a", "", "b"}},
                      SplitCase{"Mixed", "one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
                      SplitCase{"BlanksKept", "  x \n\t\n", {"  x ", "\t"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class LogDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(LogDecode, Utf8WhenValidElseLatin1)
{
    EXPECT_EQ(DecodeLogText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LogDecode,
    ::testing::Values(DecodeCase{"Ascii", "ERROR: 0:1: x", QStringLiteral("ERROR: 0:1: x")},
                      DecodeCase{"Utf8", "caf\xc3\xa9", QStringLiteral("caf\u00e9")},
                      DecodeCase{"Latin1", "caf\xe9", QStringLiteral("caf\u00e9")},
                      // One bad sequence makes the whole log Latin-1, not a mix.
                      DecodeCase{"Utf8AndStrayByte", "\xc3\xa9 \xe9", QStringLiteral("\u00c3\u00a9 \u00e9")},
                      DecodeCase{"TruncatedUtf8AtEnd", "ok\xc3", QStringLiteral("ok\u00c3")},
                      DecodeCase{"Empty", "", QString()}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
