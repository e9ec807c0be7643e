// The text handed to the driver and the splitting of its logs into panel lines.
#include "DriverCheck.h"

#include <gtest/gtest.h>

namespace {

struct LogCase {
    const char* name;
    std::string log;
    QStringList lines;
};

class AddLogLinesTest : public ::testing::TestWithParam<LogCase> {};

TEST_P(AddLogLinesTest, AppendsOneLinePerLineFeed)
{
    QStringList output{QStringLiteral("header")};
    AddLogLines(GetParam().log, output);
    QStringList expected{QStringLiteral("header")};
    expected += GetParam().lines;
    EXPECT_EQ(output, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, AddLogLinesTest,
    ::testing::Values(
        LogCase{"Empty", "", {}},
        LogCase{"TwoLinesEndingWithLineFeed", "one\ntwo\n", {"one", "two", ""}},
        LogCase{"TwoLinesWithoutFinalLineFeed", "one\ntwo", {"one", "two"}},
        LogCase{"CarriageReturnsStay", "one\r\ntwo\r\n", {"one\r", "two\r", ""}},
        LogCase{"EmptyLinesStay", "a\n\nb", {"a", "", "b"}},
        LogCase{"OnlyALineFeed", "\n", {"", ""}},
        LogCase{"LoneCarriageReturnIsText", "a\rb", {"a\rb"}},
        LogCase{"Utf8", "0:1(5): error: `f\xc3\xa4rbe' undeclared\n",
                {QString::fromUtf8("0:1(5): error: `f\xc3\xa4rbe' undeclared"), ""}}),
    [](const ::testing::TestParamInfo<LogCase>& info) { return std::string(info.param.name); });

struct SourceCase {
    const char* name;
    QStringList lines;
    std::string text;
};

class ShaderSourceTextTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(ShaderSourceTextTest, EndsEveryLineWithCarriageReturnLineFeed)
{
    EXPECT_EQ(ShaderSourceText(GetParam().lines), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ShaderSourceTextTest,
    ::testing::Values(
        SourceCase{"NoLines", {}, ""},
        SourceCase{"EmptyPage", {""}, ""},
        SourceCase{"LastLineWithoutBreak", {"void main()", "{", "}"}, "void main()\r\n{\r\n}\r\n"},
        SourceCase{"PageEndingWithBreak", {"void main()", "{", "}", ""}, "void main()\r\n{\r\n}\r\n"},
        SourceCase{"OnlyTheLastEmptyLineIsDropped", {"a", "", ""}, "a\r\n\r\n"},
        SourceCase{"EmptyLinesInside", {"", "a"}, "\r\na\r\n"},
        SourceCase{"Utf8", {QString::fromUtf8("// F\xc3\xa4rbung")}, "// F\xc3\xa4rbung\r\n"}),
    [](const ::testing::TestParamInfo<SourceCase>& info) { return std::string(info.param.name); });

} // namespace
