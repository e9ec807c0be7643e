#include "LanguageSyntax.h"

#include "LumenpadError.h"
#include "TestFiles.h"

#include <QDir>
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Each test starts with empty lists and black slots, as the program does.
class LanguageSyntax : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReleaseWordLists();
        ColourScheme = TColourScheme{};
    }
    void TearDown() override
    {
        ReleaseWordLists();
        ColourScheme = TColourScheme{};
    }

    void writeAllLists()
    {
        WriteBytes(dir.file(kDataTypesFile), "float\r\nvec4\r\n");
        WriteBytes(dir.file(kTypeQualifiersFile), "uniform \nconst\n");
        WriteBytes(dir.file(kFunctionNamesFile), "dot\rdot\r\rmix");
        WriteBytes(dir.file(kStateVarsFile), "gl_Position");
    }

    ScopedWorkDir dir;
};

TEST_F(LanguageSyntax, LoadsTheFourListsFromTheWorkingDirectory)
{
    writeAllLists();
    LoadWordLists();
    EXPECT_EQ(DataTypes, QStringList({"float", "vec4"}));
    EXPECT_EQ(TypeQualifiers, QStringList({"uniform ", "const"}));
    EXPECT_EQ(FunctionNames, QStringList({"dot", "dot", "", "mix"}));
    EXPECT_EQ(StateVars, QStringList({"gl_Position"}));
}

QString OpenMessage(const QString& fullPath)
{
    return QStringLiteral("Datei ") + QDir::toNativeSeparators(fullPath)
        + QStringLiteral(" kann nicht geöffnet werden. No such file or directory");
}

TEST_F(LanguageSyntax, MissingFirstListFailsWithItsName)
{
    writeAllLists();
    QFile::remove(dir.file(kDataTypesFile));
    try {
        LoadWordLists();
        FAIL() << "no failure raised";
    } catch (const LumenpadError& e) {
        EXPECT_EQ(e.message(), OpenMessage(dir.file(kDataTypesFile)));
    }
    EXPECT_TRUE(DataTypes.isEmpty());
    EXPECT_TRUE(TypeQualifiers.isEmpty());
}

TEST_F(LanguageSyntax, MissingListClearsTheListsLoadedBeforeAndStops)
{
    writeAllLists();
    QFile::remove(dir.file(kFunctionNamesFile));
    try {
        LoadWordLists();
        FAIL() << "no failure raised";
    } catch (const LumenpadError& e) {
        EXPECT_EQ(e.message(), OpenMessage(dir.file(kFunctionNamesFile)));
    }
    EXPECT_TRUE(DataTypes.isEmpty());
    EXPECT_TRUE(TypeQualifiers.isEmpty());
    EXPECT_TRUE(FunctionNames.isEmpty());
    EXPECT_TRUE(StateVars.isEmpty());
}

TEST_F(LanguageSyntax, ReleaseEmptiesTheLists)
{
    writeAllLists();
    LoadWordLists();
    ReleaseWordLists();
    EXPECT_TRUE(DataTypes.isEmpty() && TypeQualifiers.isEmpty() && FunctionNames.isEmpty() && StateVars.isEmpty());
}

struct FindCase {
    const char* name;
    QStringList list;
    QString word;
    int index;
};

class FindWord : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindWord, GivesThePositionOfTheFirstEqualEntry)
{
    const FindCase& c = GetParam();
    EXPECT_EQ(FindWordIndex(c.list, c.word), c.index);
}

const FindCase kFindCases[] = {
    {"Exact", {"dot", "mix", "max"}, "mix", 1},
    {"OtherCase", {"dot", "texture2D"}, "TEXTURE2d", 1},
    {"FirstOfDuplicates", {"a", "mix", "MIX"}, "Mix", 1},
    {"Missing", {"dot", "mix"}, "cross", -1},
    {"PrefixIsNotEqual", {"texture2DLod"}, "texture2D", -1},
    {"TrailingBlankEntryDiffers", {"mix "}, "mix", -1},
    {"EmptyList", {}, "mix", -1},
    {"EmptyWordFindsEmptyEntry", {"a", "", "b"}, "", 1},
};

INSTANTIATE_TEST_SUITE_P(Rows, FindWord, ::testing::ValuesIn(kFindCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
