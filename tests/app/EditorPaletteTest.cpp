// The colour schemes as the editors take them: the six slots, the background and the text
// colour of the palette.
#include "EditorPalette.h"
#include "LanguageSyntax.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

class LanguageSyntax : public ::testing::Test {
protected:
    void SetUp() override { ColourScheme = TColourScheme{}; }
    void TearDown() override { ColourScheme = TColourScheme{}; }
};

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
