#include "HelpSystem.h"
#include "LumenpadError.h"
#include "TestFiles.h"

#include <QFile>
#include <QPointer>
#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace {

const QString kNoHint = QStringLiteral("No hint available for this entry...");
const QString kBadNumber = QStringLiteral("Ungültige numerische Eingabe");

struct LoadCase {
    const char* label;
    QByteArray file;
    QStringList names;
    QList<QStringList> hints;
    QString error; // empty: the load succeeds
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.label;
}

// Loads bytes as a hint file; returns the failure's message, or an empty text.
QString LoadBytes(THelpSystem& help, const QByteArray& bytes)
{
    ScopedWorkDir dir;
    WriteBytes(dir.file(QStringLiteral("hints.txt")), bytes);
    try {
        help.LoadHintFile(QStringLiteral("hints.txt"));
    } catch (const LumenpadError& e) {
        return e.message();
    }
    return QString();
}

class LoadHintFileTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadHintFileTest, ReadsRecordsAsWritten)
{
    const LoadCase& c = GetParam();
    THelpSystem help(nullptr);
    EXPECT_EQ(LoadBytes(help, c.file), c.error);
    EXPECT_EQ(help.Names, c.names);
    EXPECT_EQ(help.Hints, c.hints);
}

const QByteArray k32Zeros(32, '0');

INSTANTIATE_TEST_SUITE_P(
    Format, LoadHintFileTest,
    ::testing::Values(
        LoadCase{"OneRecord", "sin\n2\nline one\nline two\n", {"sin"}, {{"line one", "line two"}}, {}},
        LoadCase{"TwoRecords", "sin\n1\ns\ncos\n1\nc\n", {"sin", "cos"}, {{"s"}, {"c"}}, {}},
        LoadCase{"CrLfLineEnds", "sin\r\n2\r\nline one\r\n\r\ncos\r\n1\r\nc\r\n",
                 {"sin", "cos"}, {{"line one", ""}, {"c"}}, {}},
        LoadCase{"LastLineWithoutBreak", "sin\n2\na\nb", {"sin"}, {{"a", "b"}}, {}},
        LoadCase{"LoneCrStaysInTheLine", "sin\n1\na\rb\n", {"sin"}, {{"a\rb"}}, {}},
        LoadCase{"NameAndLinesKeepBlanks", "  sin x \n1\n a  \n", {"  sin x "}, {{" a  "}}, {}},
        LoadCase{"EmptyTextLinesKept", "sin\n3\n\na\n\ncos\n0\n", {"sin", "cos"}, {{"", "a", ""}, {}}, {}},
        LoadCase{"CountZero", "sin\n0\ncos\n1\nc\n", {"sin", "cos"}, {{}, {"c"}}, {}},
        LoadCase{"NegativeCountReadsNoLines", "sin\n-3\ncos\n1\nc\n", {"sin", "cos"}, {{}, {"c"}}, {}},
        LoadCase{"PlusSign", "sin\n+1\na\n", {"sin"}, {{"a"}}, {}},
        LoadCase{"CountAfterBlankLinesBlanksAndTabs", "sin\n\n \t\r\n  2\na\nb\n", {"sin"}, {{"a", "b"}}, {}},
        LoadCase{"TextAfterCountIgnored", "sin\n2 lines follow\na\nb\n", {"sin"}, {{"a", "b"}}, {}},
        LoadCase{"TabEndsCount", "sin\n1\tone line\na\n", {"sin"}, {{"a"}}, {}},
        LoadCase{"ControlCharacterEndsCount", "sin\n1\x01junk\na\n", {"sin"}, {{"a"}}, {}},
        // Only the first 32 characters form the token: 32 zeros, then a 1 that is ignored.
        LoadCase{"CountTokenAtMost32Characters", "sin\n" + k32Zeros + "1\nx\n", {"sin", "x"}, {{}, {}}, {}},
        LoadCase{"SmallestCount", "sin\n-2147483648\ncos\n0\n", {"sin", "cos"}, {{}, {}}, {}},
        LoadCase{"CountOverflowIsNoNumber", "sin\n2147483648\na\n", {}, {}, kBadNumber},
        LoadCase{"NameWhereCountBelongs", "sin\ncos\n1\nc\n", {}, {}, kBadNumber},
        LoadCase{"SignAloneIsNoNumber", "sin\n-\na\n", {}, {}, kBadNumber},
        LoadCase{"HexIsNoNumber", "sin\n0x10\na\n", {}, {}, kBadNumber},
        LoadCase{"DecimalPointIsNoNumber", "sin\n1.5\na\n", {}, {}, kBadNumber},
        // The blank line is taken as the next name, the name after it as a count.
        LoadCase{"BlankLineBetweenRecords", "sin\n1\na\n\ncos\n1\nc\ntan\n1\nt\n", {"sin"}, {{"a"}}, kBadNumber},
        LoadCase{"BlankLinesAtTheEnd", "sin\n1\na\n\n\n\n", {"sin", ""}, {{"a"}, {}}, {}},
        // The left-over line becomes a name, the next record's name its count.
        LoadCase{"CountTooSmall", "sin\n1\na\nb\ncos\n1\nc\n", {"sin"}, {{"a"}}, kBadNumber},
        LoadCase{"CountTooSmallNextWordANumber", "sin\n1\na\nb\n0\ncos\n1\nc\n",
                 {"sin", "b", "cos"}, {{"a"}, {}, {"c"}}, {}},
        // A count too large takes the following records as hint lines, up to the end.
        LoadCase{"CountTooLargeStopsAtEnd", "sin\n9\na\ncos\n1\nc\n", {"sin"}, {{"a", "cos", "1", "c"}}, {}},
        LoadCase{"HugeCountStopsAtEnd", "sin\n2000000000\na\nb\n", {"sin"}, {{"a", "b"}}, {}},
        LoadCase{"HugeCountAtEnd", "sin\n2000000000\n", {"sin"}, {{}}, {}},
        LoadCase{"CtrlZEndsTheFile", "sin\n1\na\n\x1a" "cos\n1\nc\n", {"sin"}, {{"a"}}, {}},
        LoadCase{"CtrlZInsideALine", "sin\n2\nab\x1a" "cd\nef\n", {"sin"}, {{"ab"}}, {}},
        LoadCase{"EmptyFile", "", {""}, {{}}, {}},
        LoadCase{"OnlyCtrlZ", "\x1a", {""}, {{}}, {}},
        LoadCase{"OnlyLineBreaks", "\n\n", {""}, {{}}, {}},
        LoadCase{"NameOnly", "sin", {"sin"}, {{}}, {}},
        LoadCase{"RepeatedNameKept", "sin\n1\nfirst\nSIN\n1\nsecond\n", {"sin", "SIN"}, {{"first"}, {"second"}}, {}},
        LoadCase{"Utf8", "m\xc3\xbcx\n1\n\xc3\xa4\n", {QStringLiteral("müx")}, {{QStringLiteral("ä")}}, {}},
        LoadCase{"Latin1WhenNotUtf8", "m\xfcx\n1\n\xe4\n", {QStringLiteral("müx")}, {{QStringLiteral("ä")}}, {}},
        LoadCase{"Utf8ByteOrderMarkIsNoPartOfTheName", "\xef\xbb\xbfsin\n1\na\n", {"sin"}, {{"a"}}, {}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.label); });

TEST(LoadHintFile, AppendsToWhatIsLoaded)
{
    THelpSystem help(nullptr);
    ASSERT_EQ(LoadBytes(help, "sin\n1\na\n"), QString());
    ASSERT_EQ(LoadBytes(help, "cos\n1\nc\n"), QString());
    EXPECT_EQ(help.Names, QStringList({"sin", "cos"}));
    EXPECT_EQ(help.Hints, QList<QStringList>({{"a"}, {"c"}}));
}

TEST(LoadHintFile, MissingFile)
{
    ScopedWorkDir dir;
    THelpSystem help(nullptr);
    try {
        help.LoadHintFile(QStringLiteral("hints_functionnames.txt"));
        FAIL() << "no failure for a missing file";
    } catch (const LumenpadError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Datei nicht gefunden"));
    }
    EXPECT_TRUE(help.Names.isEmpty());
    EXPECT_TRUE(help.Hints.isEmpty());
    EXPECT_EQ(help.GetHint(QStringLiteral("sin")), kNoHint);
}

TEST(LoadHintFile, AccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    ScopedWorkDir dir;
    const QString path = dir.file(QStringLiteral("hints.txt"));
    WriteBytes(path, "sin\n1\na\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    THelpSystem help(nullptr);
    try {
        help.LoadHintFile(path);
        FAIL() << "no failure for an unreadable file";
    } catch (const LumenpadError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Dateizugriff verweigert"));
    }
    EXPECT_TRUE(help.Names.isEmpty());
}

TEST(LoadHintFile, DirectoryGivesTheSystemErrorNumber)
{
    ScopedWorkDir dir;
    THelpSystem help(nullptr);
    try {
        help.LoadHintFile(dir.path());
        FAIL() << "no failure for a directory";
    } catch (const LumenpadError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("E/A-Fehler %1").arg(EISDIR));
    }
    EXPECT_TRUE(help.Names.isEmpty());
}

TEST(THelpSystem, OwnerDestroysIt)
{
    auto* owner = new QObject;
    QPointer<THelpSystem> help = new THelpSystem(owner);
    EXPECT_EQ(help->parent(), owner);
    delete owner;
    EXPECT_TRUE(help.isNull());
}

struct HintCase {
    const char* label;
    QString name;
    QString hint;
};

void PrintTo(const HintCase& c, std::ostream* os)
{
    *os << c.label;
}

class GetHintTest : public ::testing::TestWithParam<HintCase> {
protected:
    static void SetUpTestSuite()
    {
        help_ = new THelpSystem(nullptr);
        const QString error = LoadBytes(*help_,
                                        "sin\n3\nfloat sin(float x)\n\nthe sine of x\n"
                                        "cos\n1\nthe cosine\n"
                                        "zero\n0\n"
                                        "twice\n1\nfirst\n"
                                        "TWICE\n1\nsecond\n"
                                        "empty first\n0\n"
                                        "Empty First\n1\nnever reached\n"
                                        "  spaced \n1\nspaced hint\n"
                                        "\xc3\x84rger\n1\numlaut\n"
                                        "\n\n");
        ASSERT_EQ(error, QString());
    }
    static void TearDownTestSuite()
    {
        delete help_;
        help_ = nullptr;
    }
    static THelpSystem* help_;
};

THelpSystem* GetHintTest::help_ = nullptr;

TEST_P(GetHintTest, AnswersForName)
{
    EXPECT_EQ(help_->GetHint(GetParam().name), GetParam().hint);
}

INSTANTIATE_TEST_SUITE_P(
    Lookup, GetHintTest,
    ::testing::Values(
        HintCase{"ThreeLinesJoinedWithTwoCrs", "sin", "float sin(float x)\r\rthe sine of x"},
        HintCase{"SingleLineUnchanged", "cos", "the cosine"},
        HintCase{"OtherLetterCase", "COS", "the cosine"},
        HintCase{"MixedLetterCase", "SiN", "float sin(float x)\r\rthe sine of x"},
        HintCase{"NonAsciiLetterCase", QStringLiteral("ärger"), "umlaut"},
        HintCase{"Absent", "tan", kNoHint},
        HintCase{"CountZero", "zero", kNoHint},
        HintCase{"RepeatedNameGivesFirst", "Twice", "first"},
        HintCase{"FirstMatchWithoutLinesDecides", "empty first", kNoHint},
        HintCase{"BlanksArePartOfTheName", "  spaced ", "spaced hint"},
        HintCase{"NoTrimming", "spaced", kNoHint},
        HintCase{"EmptyNameRecordHasNoLines", "", kNoHint},
        HintCase{"PrefixIsNoMatch", "si", kNoHint}),
    [](const ::testing::TestParamInfo<HintCase>& info) { return std::string(info.param.label); });

TEST(GetHint, ThreeLinesHaveTwoCarriageReturnsAndNoLineFeed)
{
    THelpSystem help(nullptr);
    ASSERT_EQ(LoadBytes(help, "f\r\n3\r\none\r\ntwo\r\nthree\r\n"), QString());
    const QString hint = help.GetHint(QStringLiteral("f"));
    EXPECT_EQ(hint.count(QLatin1Char('\r')), 2);
    EXPECT_FALSE(hint.contains(QLatin1Char('\n')));
    EXPECT_EQ(hint.split(QLatin1Char('\r')), QStringList({"one", "two", "three"}));
}

TEST(GetHint, EmptyCatalogue)
{
    const THelpSystem help(nullptr);
    EXPECT_EQ(help.GetHint(QStringLiteral("sin")), kNoHint);
    EXPECT_EQ(help.GetHint(QString()), kNoHint);
}

} // namespace
