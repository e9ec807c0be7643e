// The text handed to the driver and the splitting of its logs into panel lines.
#include "DriverCheck.h"
#include "OutputPanel.h"

#include <QTextCursor>
#include <QTextDocument>
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
    OutputPanel panel;
    panel.appendLine(QStringLiteral("header"));
    AddLogLines(GetParam().log, panel);
    QStringList expected{QStringLiteral("header")};
    expected += GetParam().lines;
    EXPECT_EQ(panel.lines(), expected);
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

TEST(DocumentLines, OneLinePerBlockAsTyped)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("void main()\n{\n}\n"));
    EXPECT_EQ(DocumentLines(document), (QStringList{"void main()", "{", "}", ""}));
    EXPECT_EQ(ShaderSourceText(DocumentLines(document)), "void main()\r\n{\r\n}\r\n");

    document.setPlainText(QString());
    EXPECT_EQ(ShaderSourceText(DocumentLines(document)), "");
}

TEST(DocumentLines, LongLinesStayWhole)
{
    // Wrapping is a matter of display; the driver sees the line as typed.
    const QString longLine = QStringLiteral("float x = ") + QString(500, QLatin1Char('1')) + QStringLiteral(".0;");
    QTextDocument document;
    document.setTextWidth(50);
    document.setPlainText(longLine);
    EXPECT_EQ(DocumentLines(document), QStringList{longLine});
}

TEST(DocumentLines, SoftLineBreakSplitsTheLine)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("a"));
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral("b"));
    EXPECT_EQ(DocumentLines(document), (QStringList{"a", "b"}));
}

} // namespace
