// Golden files: every shader in input/ is coloured with the small word lists in input/lists/
// (or in input/lists-<name>/ where that folder exists) and compared with reference/<name>.ref.
// After an intended change, regenerate-references.sh rewrites the references; review the diff.

#include "LineColouring.h"
#include "TestFiles.h"
#include "WordListFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QString InputDir()
{
    return SourcePath(QStringLiteral("tests/syntax/input"));
}

QString ReferenceDir()
{
    return SourcePath(QStringLiteral("tests/syntax/reference"));
}

bool Regenerating()
{
    const char* value = std::getenv("LUMENPAD_REGENERATE_REFERENCES");
    return value && *value && std::string(value) != "0";
}

std::vector<std::string> InputNames()
{
    std::vector<std::string> names;
    const QStringList files = QDir(InputDir()).entryList({QStringLiteral("*.glsl")}, QDir::Files, QDir::Name);
    for (const QString& f : files)
        names.push_back(QFileInfo(f).completeBaseName().toStdString());
    return names;
}

LineColourer ColourerFor(const QString& name)
{
    QDir lists(InputDir() + QStringLiteral("/lists-") + name);
    if (!lists.exists())
        lists = QDir(InputDir() + QStringLiteral("/lists"));
    auto read = [&](const char* file) { return ReadWordListFile(lists.filePath(QString::fromLatin1(file))); };
    return LineColourer(read("syntax_datatypes.txt"), read("syntax_typequalifiers.txt"),
                        read("syntax_functionnames.txt"), read("syntax_statevars.txt"));
}

// One output line per input line: the line's spans as <Role>text</Role>. Each line starts in the
// block-comment state the line before ended in.
QString DumpFile(const QString& text, const LineColourer& colourer)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    QString out;
    std::vector<ColourSpan> spans;
    bool inComment = false;
    for (const QString& line : lines) {
        inComment = colourer.colourLine(line, spans, inComment);
        for (const ColourSpan& s : spans) {
            const QString role = QString::fromLatin1(SyntaxRoleName(s.role));
            out += QLatin1Char('<') + role + QLatin1Char('>') + line.mid(s.start, s.length)
                + QStringLiteral("</") + role + QLatin1Char('>');
        }
        out += QLatin1Char('\n');
    }
    return out;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, MatchesTheReference)
{
    const QString name = QString::fromStdString(GetParam());
    const QString input = QString::fromUtf8(ReadBytes(InputDir() + QLatin1Char('/') + name + QStringLiteral(".glsl")));
    const QString actual = DumpFile(input, ColourerFor(name));
    const QString referencePath = ReferenceDir() + QLatin1Char('/') + name + QStringLiteral(".ref");

    if (Regenerating()) {
        QDir().mkpath(ReferenceDir());
        WriteBytes(referencePath, actual.toUtf8());
        return;
    }
    ASSERT_TRUE(QFileInfo::exists(referencePath)) << "no reference for " << GetParam()
                                                  << "; run tests/syntax/regenerate-references.sh";
    const QString expected = QString::fromUtf8(ReadBytes(referencePath));
    if (expected == actual)
        return;

    QTemporaryDir scratch;
    const QString actualPath = scratch.filePath(name + QStringLiteral(".ref"));
    WriteBytes(actualPath, actual.toUtf8());
    QProcess diff;
    diff.start(QStringLiteral("diff"), {QStringLiteral("-u"), referencePath, actualPath});
    diff.waitForFinished();
    ADD_FAILURE() << "colouring of " << GetParam() << ".glsl differs from its reference:\n"
                  << diff.readAllStandardOutput().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, Golden, ::testing::ValuesIn(InputNames()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
});

TEST(GoldenFiles, EveryInputHasAReferenceAndNoReferenceIsLeftOver)
{
    const std::vector<std::string> inputs = InputNames();
    EXPECT_GE(inputs.size(), 6u);
    if (Regenerating())
        return;
    const QStringList refs = QDir(ReferenceDir()).entryList({QStringLiteral("*.ref")}, QDir::Files);
    for (const QString& ref : refs) {
        const std::string base = QFileInfo(ref).completeBaseName().toStdString();
        EXPECT_NE(std::find(inputs.begin(), inputs.end(), base), inputs.end()) << ref.toStdString() << " has no input";
    }
}

} // namespace
