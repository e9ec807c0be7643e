// The hint file we ship, read the way the program reads it, against the function names we ship.

#include "HelpSystem.h"
#include "LanguageSyntax.h"
#include "LumenpadError.h"
#include "TestFiles.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString kNoHint = QStringLiteral("No hint available for this entry...");

class ShippedHintsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {kDataTypesFile, kTypeQualifiersFile, kFunctionNamesFile, kStateVarsFile, kHintFile}) {
            const QString file = QString::fromLatin1(name);
            ASSERT_TRUE(QFile::copy(SourcePath(QStringLiteral("data/") + file), dir_.file(file))) << name;
        }
        ASSERT_NO_THROW(LoadWordLists());
    }
    void TearDown() override { ReleaseWordLists(); }

    ScopedWorkDir dir_;
};

TEST_F(ShippedHintsTest, LoadsWithoutError)
{
    ASSERT_FALSE(ReadBytes(QString::fromLatin1(kHintFile)).trimmed().isEmpty()) << "the hint file is empty";
    THelpSystem help(nullptr);
    try {
        help.LoadHintFile(QString::fromLatin1(kHintFile));
    } catch (const LumenpadError& e) {
        FAIL() << e.message().toStdString();
    }
    EXPECT_FALSE(help.Names.isEmpty());
}

TEST_F(ShippedHintsTest, EveryFunctionNameHasAHint)
{
    ASSERT_FALSE(FunctionNames.isEmpty()) << "syntax_functionnames.txt is empty";
    THelpSystem help(nullptr);
    help.LoadHintFile(QString::fromLatin1(kHintFile));
    for (const QString& name : FunctionNames) {
        if (name.isEmpty())
            continue;
        EXPECT_NE(help.GetHint(name), kNoHint) << "no hint for " << name.toStdString();
    }
}

// Only the first of two records with one name is ever shown, and a record without a name
// is what a stray blank line leaves behind.
TEST_F(ShippedHintsTest, RecordsAreNamedOnceAndHaveLines)
{
    THelpSystem help(nullptr);
    help.LoadHintFile(QString::fromLatin1(kHintFile));
    QSet<QString> seen;
    for (qsizetype i = 0; i < help.Names.size(); ++i) {
        const QString& name = help.Names[i];
        EXPECT_FALSE(name.trimmed().isEmpty()) << "record " << i << " has no name";
        EXPECT_EQ(name, name.trimmed()) << "record " << i << " name has blanks around it";
        EXPECT_FALSE(help.Hints[i].isEmpty()) << name.toStdString() << " has no lines";
        EXPECT_FALSE(seen.contains(name.toLower())) << name.toStdString() << " appears twice";
        seen.insert(name.toLower());
    }
}

} // namespace
