// Data files saved with old Mac line ends (CR alone): the word lists read the same entries as
// with LF, the window colours with them the same, and the hint file loads without hanging in
// the one way its format allows.

#include "RobustnessHelpers.h"
#include "WindowFixture.h"

#include "HelpSystem.h"
#include "ShaderEditor.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const char* const kListFiles[] = {kDataTypesFile, kTypeQualifiersFile, kFunctionNamesFile, kStateVarsFile};

QByteArray WithLineEnds(QByteArray bytes, const QByteArray& lineEnd)
{
    bytes.replace("\r\n", "\n");
    bytes.replace('\n', lineEnd);
    return bytes;
}

struct Lists {
    QStringList dataTypes, typeQualifiers, functionNames, stateVars;
};

// Loads the shipped lists, written with the given line ends, in a work dir of their own.
Lists LoadShippedListsWith(const QByteArray& lineEnd)
{
    ScopedWorkDir dir;
    for (const char* name : kListFiles) {
        const QString file = QString::fromLatin1(name);
        WriteBytes(dir.file(file), WithLineEnds(ReadBytes(SourcePath(QStringLiteral("data/") + file)), lineEnd));
    }
    LoadWordLists();
    return {DataTypes, TypeQualifiers, FunctionNames, StateVars};
}

TEST(CrOnlyLineEnds, WordListsReadTheSameEntriesAsWithLf)
{
    const Lists lf = LoadShippedListsWith("\n");
    ASSERT_GT(lf.functionNames.size(), 100) << "the shipped lists did not load";
    for (const QByteArray& lineEnd : {QByteArray("\r"), QByteArray("\r\n")}) {
        const Lists other = LoadShippedListsWith(lineEnd);
        EXPECT_EQ(other.dataTypes, lf.dataTypes);
        EXPECT_EQ(other.typeQualifiers, lf.typeQualifiers);
        EXPECT_EQ(other.functionNames, lf.functionNames);
        EXPECT_EQ(other.stateVars, lf.stateVars);
    }
}

TEST(CrOnlyLineEnds, WindowColoursWithCrOnlyListsAsWithLfLists)
{
    const Lists lf = LoadShippedListsWith("\n");
    const LineColourer lfColourer(lf.dataTypes, lf.typeQualifiers, lf.functionNames, lf.stateVars);

    WindowFixture w;
    for (const char* name : kListFiles) {
        const QString file = QString::fromLatin1(name);
        WriteBytes(w.dir.file(file), WithLineEnds(ReadBytes(w.dir.file(file)), "\r"));
    }
    LoadWordLists();
    TMainForm& f = w.start();
    const QString path = w.dir.file(QStringLiteral("a.frag"));
    WriteBytes(path, "uniform sampler2D s; // tex\nvarying vec3 n;\nvoid main() {\n"
                     "  gl_FragColor = texture2D(s, gl_TexCoord[0].st) * max(dot(n, n), 0.0);\n}\n");
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    const QString mismatches = ColouringMismatches(*f.ShaderRichEdit->document(), lfColourer);
    EXPECT_TRUE(mismatches.isEmpty()) << mismatches.toStdString();
}

QString ShippedHintsWith(const QByteArray& lineEnd, ScopedWorkDir& dir)
{
    const QString path = dir.file(QStringLiteral("hints.txt"));
    WriteBytes(path, WithLineEnds(ReadBytes(SourcePath(QStringLiteral("data/hints_functionnames.txt"))), lineEnd));
    return path;
}

TEST(CrOnlyLineEnds, HintFileWithCrLfReadsTheSameRecordsAsWithLf)
{
    ScopedWorkDir dir;
    THelpSystem lf(nullptr);
    lf.LoadHintFile(ShippedHintsWith("\n", dir));
    ASSERT_GT(lf.Names.size(), 100);
    THelpSystem crlf(nullptr);
    crlf.LoadHintFile(ShippedHintsWith("\r\n", dir));
    EXPECT_EQ(crlf.Names, lf.Names);
    EXPECT_EQ(crlf.Hints, lf.Hints);
}

// The hint file's lines end at LF or CR LF only; a CR alone is a character of its line. A
// file with CR-only line ends therefore holds one line: the name of a single record, whose
// count is read past the end of the file as 0. The load ends at once, with that one record and
// no hint for any function.
TEST(CrOnlyLineEnds, HintFileIsOneNameLineAndLoadsAtOnce)
{
    ScopedWorkDir dir;
    const QString path = ShippedHintsWith("\r", dir);
    const QString wholeText = QString::fromUtf8(ReadBytes(path));
    ASSERT_GT(wholeText.size(), 10000);
    THelpSystem hints(nullptr);
    QElapsedTimer clock;
    clock.start();
    ASSERT_NO_THROW(hints.LoadHintFile(path));
    EXPECT_LT(clock.elapsed(), 10000) << "the load ran long";
    ASSERT_EQ(hints.Names.size(), 1);
    EXPECT_TRUE(hints.Names[0] == wholeText) << "the one name is not the whole file";
    ASSERT_EQ(hints.Hints.size(), 1);
    EXPECT_TRUE(hints.Hints[0].isEmpty());
    EXPECT_EQ(hints.GetHint(QStringLiteral("sin")), QString::fromLatin1(kNoHintText));

    // A CR-only file ending in a count-like last line changes nothing: there is no second line.
    WriteBytes(path, "sin\r1\rthe sine\r");
    THelpSystem small(nullptr);
    small.LoadHintFile(path);
    EXPECT_EQ(small.Names, QStringList{QStringLiteral("sin\r1\rthe sine\r")});
    EXPECT_EQ(small.GetHint(QStringLiteral("sin")), QString::fromLatin1(kNoHintText));
}

} // namespace
