// The one text-file module every reader of the program uses: decoding and line splitting.
#include "TextFile.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    const char* bytes;
    QStringList lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, EachLineEndEndsOneLine)
{
    EXPECT_EQ(SplitLines(DecodeUtf8OrLatin1(GetParam().bytes)), GetParam().lines);
}

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"NoLineEnd", "a", {"a"}},
    {"CrLf", "vec2\r\nvec3\r\nvec4\r\n", {"vec2", "vec3", "vec4"}},
    {"LfAlone", "vec2\nvec3\nvec4\n", {"vec2", "vec3", "vec4"}},
    {"CrAlone", "vec2\rvec3\rvec4\r", {"vec2", "vec3", "vec4"}},
    {"Mixed", "one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
    {"LoneBreakGivesOneEmptyLine", "\r\n", {""}},
    {"TwoCrLf", "\r\n\r\n", {"", ""}},
    {"EmptyLineKept", "a\n\nb\n", {"a", "", "b"}},
    {"TrailingEmptyLine", "a\n\n", {"a", ""}},
    {"CrCr", "a\r\rb", {"a", "", "b"}},
    {"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
    {"CrCrLfIsTwoEnds", "a\r\r\nb", {"a", "", "b"}},
    {"CrLfThenLf", "a\r\n\nb", {"a", "", "b"}},
    {"BlanksKept", "  x \n\t\n", {"  x ", "\t"}},
    {"DuplicatesAndOrderKept", "z\nz\nZ\ny", {"z", "z", "Z", "y"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, SplitLinesTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    ByteOrderMark bom;
    QString text;
    TextEncoding encoding;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, Utf8WhenValidElseLatin1)
{
    const DecodeCase& c = GetParam();
    TextEncoding encoding = c.encoding == TextEncoding::Utf8 ? TextEncoding::Latin1 : TextEncoding::Utf8;
    EXPECT_EQ(DecodeUtf8OrLatin1(c.bytes, &encoding, c.bom), c.text);
    EXPECT_EQ(encoding, c.encoding);
}

constexpr auto kDrop = ByteOrderMark::Drop;
constexpr auto kUtf8 = TextEncoding::Utf8;
constexpr auto kLatin1 = TextEncoding::Latin1;

INSTANTIATE_TEST_SUITE_P(
    Encodings, DecodeTest,
    ::testing::Values(
        DecodeCase{"Ascii", "ERROR: 0:1: x", kDrop, QStringLiteral("ERROR: 0:1: x"), kUtf8},
        DecodeCase{"Utf8", "caf\xc3\xa9", kDrop, QStringLiteral("caf\u00e9"), kUtf8},
        DecodeCase{"Latin1", "caf\xe9", kDrop, QStringLiteral("caf\u00e9"), kLatin1},
        // One bad sequence makes the whole text Latin-1, not a mix.
        DecodeCase{"Utf8AndStrayByte", "\xc3\xa9 \xe9", kDrop, QStringLiteral("\u00c3\u00a9 \u00e9"), kLatin1},
        DecodeCase{"TruncatedUtf8AtEnd", "ok\xc3", kDrop, QStringLiteral("ok\u00c3"), kLatin1},
        DecodeCase{"Empty", "", kDrop, QString(), kUtf8},
        DecodeCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFvec2", kDrop, QStringLiteral("vec2"), kUtf8},
        DecodeCase{"ByteOrderMarkKept", "\xEF\xBB\xBFvec2", ByteOrderMark::Keep, QStringLiteral("\uFEFFvec2"), kUtf8}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntegerCase {
    const char* token;
    bool valid;
    int value;
};

// Both data files with numbers (config.txt and the hint file) read their tokens here.
TEST(ParseIntegerToken, SignedDecimalsThatFitAnInt)
{
    const IntegerCase cases[] = {
        {"0", true, 0},           {"42", true, 42},          {"+7", true, 7},
        {"-7", true, -7},         {"007", true, 7},          {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},              {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"", false, 0},           {"+", false, 0},
        {"-", false, 0},          {"+-5", false, 0},         {"--5", false, 0},
        {"5x", false, 0},         {"0x10", false, 0},        {" 5", false, 0},
    };
    for (const IntegerCase& c : cases) {
        int value = -99;
        EXPECT_EQ(ParseIntegerToken(QString::fromLatin1(c.token), value), c.valid) << c.token;
        if (c.valid) {
            EXPECT_EQ(value, c.value) << c.token;
        }
    }
}

} // namespace
