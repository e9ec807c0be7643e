#include "LanguageSyntax.h"

#include "LumenpadError.h"
#include "TestFiles.h"

#include <QDir>
#include <QPlainTextEdit>
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

struct SchemeRow {
    int index;
    const char* dataType;
    const char* typeQualifier;
    const char* functionName;
    const char* stateVar;
    const char* comment;
    const char* text;
    const char* background;
};

const SchemeRow kSchemeRows[] = {
    {0, "#ff0000", "#800040", "#0000ff", "#000000", "#008000", "#000000", "#ffffff"},
    {1, "#a6caf0", "#008080", "#00ffff", "#c0dcc0", "#0080ff", "#ffffff", "#000000"},
    {2, "#ff8040", "#00ffff", "#ffffff", "#00ff00", "#c0c0c0", "#ffff00", "#000080"},
};

class Schemes : public LanguageSyntax, public ::testing::WithParamInterface<SchemeRow> {};

TEST_P(Schemes, ApplySetsTheSixSlotsTheBackgroundAndTheTextColour)
{
    const SchemeRow& row = GetParam();
    QPlainTextEdit editor;
    ApplyColourScheme(&editor, row.index);
    EXPECT_EQ(ColourScheme.DataTypeColour.name(), row.dataType);
    EXPECT_EQ(ColourScheme.TypeQualifierColour.name(), row.typeQualifier);
    EXPECT_EQ(ColourScheme.FunctionNameColour.name(), row.functionName);
    EXPECT_EQ(ColourScheme.StateVarColour.name(), row.stateVar);
    EXPECT_EQ(ColourScheme.CommentColour.name(), row.comment);
    EXPECT_EQ(ColourScheme.TextColour.name(), row.text);
    EXPECT_EQ(editor.palette().color(QPalette::Base).name(), row.background);
    EXPECT_EQ(editor.palette().color(QPalette::Text).name(), row.text);
    ASSERT_NE(SchemeByIndex(row.index), nullptr);
    EXPECT_EQ(SchemeByIndex(row.index)->background.name(), row.background);
}

INSTANTIATE_TEST_SUITE_P(Rows, Schemes, ::testing::ValuesIn(kSchemeRows),
                         [](const auto& info) { return "Scheme" + std::to_string(info.param.index); });

TEST_F(LanguageSyntax, IndexOutsideTheTableChangesNothing)
{
    QPlainTextEdit editor;
    ApplyColourScheme(&editor, 1);
    const TColourScheme before = ColourScheme;
    const QPalette palette = editor.palette();
    for (int index : {-1, 3, 7, -32768}) {
        ApplyColourScheme(&editor, index);
        EXPECT_EQ(ColourScheme.DataTypeColour, before.DataTypeColour) << index;
        EXPECT_EQ(ColourScheme.TextColour, before.TextColour) << index;
        EXPECT_EQ(ColourScheme.CommentColour, before.CommentColour) << index;
        EXPECT_EQ(editor.palette().color(QPalette::Base), palette.color(QPalette::Base)) << index;
        EXPECT_EQ(editor.palette().color(QPalette::Text), palette.color(QPalette::Text)) << index;
        EXPECT_EQ(SchemeByIndex(index), nullptr);
    }
}

TEST_F(LanguageSyntax, SlotsAreBlackUntilASchemeIsApplied)
{
    QPlainTextEdit editor;
    const QColor white = editor.palette().color(QPalette::Base);
    ApplyColourScheme(&editor, -1);
    for (const QColor& c : {ColourScheme.DataTypeColour, ColourScheme.TypeQualifierColour,
                            ColourScheme.FunctionNameColour, ColourScheme.StateVarColour,
                            ColourScheme.CommentColour, ColourScheme.TextColour})
        EXPECT_EQ(c, QColor(Qt::black));
    EXPECT_EQ(editor.palette().color(QPalette::Base), white);
}

} // namespace
