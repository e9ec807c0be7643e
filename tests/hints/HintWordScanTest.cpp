#include "HintWordScan.h"

#include <gtest/gtest.h>

namespace {

// The pointer rests on the character `offset` places into the first occurrence of `at`.
struct ScanCase {
    const char* label;
    QString line;
    QString at;
    int offset;
    QString word;
};

void PrintTo(const ScanCase& c, std::ostream* os)
{
    *os << c.label;
}

class HintWordScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(HintWordScanTest, TakesTheWordUnderThePointer)
{
    const ScanCase& c = GetParam();
    const qsizetype start = c.line.indexOf(c.at);
    ASSERT_GE(start, 0) << "bad case: " << c.at.toStdString();
    EXPECT_EQ(ExtractHintWord(c.line, int(start) + c.offset), c.word);
}

INSTANTIATE_TEST_SUITE_P(
    Scan, HintWordScanTest,
    ::testing::Values(
        ScanCase{"FirstLetterBeforeParenthesis", "x = sin(y);", "sin", 0, "sin"},
        ScanCase{"LastLetterBeforeParenthesis", "x = sin(y);", "sin", 2, "sin"},
        ScanCase{"AfterBlank", "return sin(y);", "sin", 1, "sin"},
        ScanCase{"AfterEquals", "x=sin(y);", "sin", 1, "sin"},
        ScanCase{"AfterStar", "a*sin(y)", "sin", 1, "sin"},
        ScanCase{"AfterPlus", "a+sin(y)", "sin", 1, "sin"},
        ScanCase{"AfterMinus", "a-sin(y)", "sin", 1, "sin"},
        ScanCase{"AfterSlash", "a/sin(y)", "sin", 1, "sin"},
        ScanCase{"AfterParenthesis", "f(sin(y))", "sin", 1, "sin"},
        ScanCase{"NestedCall", "sin(cos(x))", "cos", 0, "cos"},
        ScanCase{"AtLineStart", "sin(y)", "sin", 0, "sin"},
        ScanCase{"FollowedByBlank", "sin (y)", "sin", 1, "sin"},
        ScanCase{"AtLineEnd", "y = sin", "sin", 1, "sin"},
        ScanCase{"OnLastCharacter", "y = sin", "sin", 2, "sin"},
        ScanCase{"OtherLetterCaseKept", "y = SiN(x)", "SiN", 1, "SiN"},
        // An argument after a comma: the comma is no delimiter going back.
        ScanCase{"AfterComma", "max(a,sin(y))", "sin", 1, "a,sin"},
        ScanCase{"AfterTab", "\tsin(y);", "sin", 0, "\tsin"},
        ScanCase{"TabsThenBlank", "\t\tx = sin(y);", "sin", 0, "sin"},
        // Going forward only a blank or a "(" after the pointer ends the word.
        ScanCase{"ForwardIgnoresOperators", "sin+cos", "sin", 0, "sin+cos"},
        ScanCase{"ForwardPassesTabAndComma", "f(sin,\tcos(x))", "sin", 0, "sin,\tcos"},
        ScanCase{"BackwardStopsAtOperatorUnderPointer", "a+b", "+", 0, "b"},
        // On the "(" the backward scan stops there; the word is what follows it.
        ScanCase{"OnParenthesis", "x = sin(y);", "(", 0, "y);"},
        ScanCase{"OnParenthesisBeforeCall", "x = sin(cos(y))", "(", 0, "cos"},
        ScanCase{"OnBlank", "x = sin(y);", " ", 0, ""},
        ScanCase{"OnBlankBetweenWords", "float  sin", "  ", 1, ""},
        ScanCase{"OnClosingParenthesis", "sin(y) ", ")", 0, "y)"},
        ScanCase{"NonAsciiKept", "x = \u00e4sin(y)", "sin", 0, "\u00e4sin"}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.label); });

// The pointer right of a line's end rests on the position after its last character.
struct EndCase {
    const char* label;
    QString line;
    int pastEnd;
    QString word;
};

void PrintTo(const EndCase& c, std::ostream* os)
{
    *os << c.label;
}

class HintWordScanEndTest : public ::testing::TestWithParam<EndCase> {};

TEST_P(HintWordScanEndTest, TakesTheLastWord)
{
    const EndCase& c = GetParam();
    EXPECT_EQ(ExtractHintWord(c.line, int(c.line.size()) + c.pastEnd), c.word);
}

INSTANTIATE_TEST_SUITE_P(
    RightOfLineEnd, HintWordScanEndTest,
    ::testing::Values(EndCase{"JustPastEnd", "y = sin", 0, "sin"},
                      EndCase{"FarPastEnd", "y = sin", 1000, "sin"},
                      EndCase{"EndsWithParenthesis", "y = sin(", 0, ""},
                      EndCase{"EndsWithCall", "y = sin(x)", 0, "x)"},
                      EndCase{"EndsWithBlank", "y = sin ", 0, ""},
                      EndCase{"SingleWord", "sin", 0, "sin"},
                      EndCase{"WordAfterTab", "\tsin", 5, "\tsin"}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.label); });

TEST(HintWordScan, EmptyLine)
{
    EXPECT_EQ(ExtractHintWord(u"", 0), QString());
    EXPECT_EQ(ExtractHintWord(u"", 3), QString());
}

TEST(HintWordScan, NegativePositionGivesNoWord)
{
    EXPECT_EQ(ExtractHintWord(u"sin(x)", -1), QString());
}

} // namespace
