// Our own word lists in data/, as the program reads them.

#include "LanguageSyntax.h"
#include "TestFiles.h"
#include "WordListFile.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

class ShippedList : public ::testing::TestWithParam<const char*> {
protected:
    QStringList read() const { return ReadWordListFile(SourcePath(QStringLiteral("data/") + GetParam())); }
};

TEST_P(ShippedList, HasEntries)
{
    EXPECT_FALSE(read().isEmpty());
}

TEST_P(ShippedList, HasNoEmptyEntry)
{
    const QStringList entries = read();
    for (qsizetype i = 0; i < entries.size(); ++i)
        EXPECT_FALSE(entries[i].isEmpty()) << "line " << i + 1;
}

TEST_P(ShippedList, HasNoLeadingOrTrailingBlank)
{
    for (const QString& entry : read())
        EXPECT_EQ(entry, entry.trimmed()) << '"' << entry.toStdString() << '"';
}

TEST_P(ShippedList, HasNoDuplicateInAnyLetterCase)
{
    QSet<QString> seen;
    for (const QString& entry : read()) {
        const QString folded = entry.toCaseFolded();
        EXPECT_FALSE(seen.contains(folded)) << entry.toStdString() << " appears twice";
        seen.insert(folded);
    }
}

// Shading-language names are identifiers; anything else is a slip (a comma, a tab, a comment).
TEST_P(ShippedList, HoldsOnlyIdentifiers)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const QString& entry : read())
        EXPECT_TRUE(identifier.match(entry).hasMatch()) << '"' << entry.toStdString() << '"';
}

INSTANTIATE_TEST_SUITE_P(Data, ShippedList,
                         ::testing::Values(kDataTypesFile, kTypeQualifiersFile, kFunctionNamesFile, kStateVarsFile),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
