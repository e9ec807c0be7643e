#include "LumenpadError.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>


namespace {

struct ParseCase {
    const char* name;
    QByteArray content;
    int linesRead;
    const char* error;
    StoredSettings expected;
};

StoredSettings values(QString dir, QString vs, QString fs, int w, int h, int t, int l, int max, int scheme)
{
    return {std::move(dir), std::move(vs), std::move(fs), w, h, t, l, max, scheme};
}

class ParseSettingsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSettingsTest, ReadsByTheRules)
{
    const ParseCase& c = GetParam();
    const SettingsReadResult r = ParseSettings(c.content);
    EXPECT_EQ(r.linesRead, c.linesRead);
    EXPECT_EQ(r.errorMessage, QString::fromUtf8(c.error));
    const StoredSettings& e = c.expected;
    EXPECT_EQ(r.values.validatorDir, e.validatorDir);
    EXPECT_EQ(r.values.vertexFile, e.vertexFile);
    EXPECT_EQ(r.values.fragmentFile, e.fragmentFile);
    EXPECT_EQ(r.values.width, e.width);
    EXPECT_EQ(r.values.height, e.height);
    EXPECT_EQ(r.values.top, e.top);
    EXPECT_EQ(r.values.left, e.left);
    EXPECT_EQ(r.values.maximised, e.maximised);
    EXPECT_EQ(r.values.schemeIndex, e.schemeIndex);
}

const char* kBadNumber = "Ungültige numerische Eingabe";

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseSettingsTest,
    ::testing::Values(
        ParseCase{"crlf", "/opt/v\r\n/a.vert\r\n/b.frag\r\n800 600 10 20\r\n1\r\n2\r\n", 6, "",
                  values("/opt/v", "/a.vert", "/b.frag", 800, 600, 10, 20, 1, 2)},
        ParseCase{"lf", "/opt/v\n/a.vert\n/b.frag\n800 600 10 20\n0\n1\n", 6, "",
                  values("/opt/v", "/a.vert", "/b.frag", 800, 600, 10, 20, 0, 1)},
        ParseCase{"tabs_and_runs", "d\n\n\n800\t\t600   10 \t 20\n0\n1\n", 6, "",
                  values("d", "", "", 800, 600, 10, 20, 0, 1)},
        ParseCase{"numbers_over_lines", "d\n\n\n800\n600\n10\n20\n1\n", 6, "",
                  // line 4's integers may run over line ends; the rest of the last one's line is skipped
                  values("d", "", "", 800, 600, 10, 20, 1, 0)},
        ParseCase{"text_after_numbers", "d\n\n\n1 2 3 4 five\n1 x\n2 y\n", 6, "",
                  values("d", "", "", 1, 2, 3, 4, 1, 2)},
        ParseCase{"verbatim_lines", "  C:\\with blanks  \n a\tb \n\n1 1 1 1\n0\n0\n", 6, "",
                  values("  C:\\with blanks  ", " a\tb ", "", 1, 1, 1, 1, 0, 0)},
        ParseCase{"empty_file", "", 6, "", values("", "", "", 0, 0, 0, 0, 0, 0)},
        ParseCase{"missing_lines", "d\nv\n", 6, "", values("d", "v", "", 0, 0, 0, 0, 0, 0)},
        ParseCase{"signs", "d\n\n\n-5 +6 -7 8\n-1\n7\n", 6, "", values("d", "", "", -5, 6, -7, 8, -1, 7)},
        ParseCase{"bad_geometry", "d\nv\nf\n800 abc 10 20\n1\n1\n", 3, kBadNumber,
                  values("d", "v", "f", 0, 0, 0, 0, 0, 0)},
        ParseCase{"bad_maximised", "d\nv\nf\n1 2 3 4\nyes\n1\n", 4, kBadNumber,
                  values("d", "v", "f", 1, 2, 3, 4, 0, 0)},
        ParseCase{"bad_scheme", "d\nv\nf\n1 2 3 4\n1\n1.5\n", 5, kBadNumber,
                  values("d", "v", "f", 1, 2, 3, 4, 1, 0)},
        ParseCase{"plus_then_minus", "d\n\n\n+-5 1 2 3\n0\n0\n", 3, kBadNumber,
                  values("d", "", "", 0, 0, 0, 0, 0, 0)},
        ParseCase{"overflow", "d\n\n\n99999999999 1 1 1\n0\n0\n", 3, kBadNumber,
                  values("d", "", "", 0, 0, 0, 0, 0, 0)},
        ParseCase{"token_over_32_chars", "d\n\n\n" + QByteArray(40, '1') + " 1 1 1\n0\n0\n", 3, kBadNumber,
                  values("d", "", "", 0, 0, 0, 0, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, BinaryGarbageAndLongLinesFailCleanly)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 73 + 11) & 0xFF));
    const SettingsReadResult g = ParseSettings(garbage);
    // A reading that stops early always says why.
    EXPECT_EQ(g.linesRead < 6, !g.errorMessage.isEmpty()) << g.linesRead;

    const QByteArray longLines = QByteArray(10000, 'x') + "\n" + QByteArray(10000, 'y') + "\n\n" +
                                 QByteArray(10000, '7') + "\n0\n0\n";
    const SettingsReadResult l = ParseSettings(longLines);
    // No path is that long: the lines name nothing, never a file or a message of megabytes.
    EXPECT_TRUE(l.values.validatorDir.isEmpty());
    EXPECT_TRUE(l.values.vertexFile.isEmpty());
    const QByteArray longest = QByteArray(kMaxPathBytes, 'p') + "\n";
    EXPECT_EQ(ParseSettings(longest).values.validatorDir.size(), kMaxPathBytes);
    EXPECT_EQ(l.errorMessage, QString::fromUtf8(kBadNumber));
}

TEST(SettingsFile, MissingFileIsReported)
{
    ScopedWorkDir dir;
    EXPECT_EQ(ReadSettingsFile(dir.file("config.txt")).errorMessage, QStringLiteral("Datei nicht gefunden"));
}

TEST(SettingsFile, WritesSixCrLfLines)
{
    const StoredSettings s = values("/opt/v dir", "/a b.vert", "", 800, 600, 10, 20, 1, -1);
    EXPECT_EQ(FormatSettings(s), QByteArray("/opt/v dir\r\n/a b.vert\r\n\r\n800 600 10 20\r\n1\r\n-1\r\n"));
}

TEST(SettingsFile, RoundTripsThroughTheFile)
{
    ScopedWorkDir dir;
    const StoredSettings s = values("/v", "/ä.vert", "/b.frag", 1, 2, 3, 4, 0, 2);
    WriteSettingsFile(dir.file("config.txt"), s);
    const SettingsReadResult r = ReadSettingsFile(dir.file("config.txt"));
    EXPECT_TRUE(r.errorMessage.isEmpty());
    EXPECT_EQ(r.values.vertexFile, QStringLiteral("/ä.vert"));
    EXPECT_EQ(r.values.schemeIndex, 2);
}

TEST(SettingsFile, FailedWriteLeavesTheOldFileAndSaysWhy)
{
    ScopedWorkDir dir;
    const QString path = dir.file("config.txt");
    WriteBytes(path, "old\r\n");
    QString message;
    {
        const ScopedFileSizeLimit fullDisk(4);
        try {
            WriteSettingsFile(path, values(QString(100, 'x'), "", "", 1, 1, 1, 1, 0, 0));
        } catch (const LumenpadError& e) {
            message = e.message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("E/A-Fehler 27")); // EFBIG
    EXPECT_EQ(ReadBytes(path), QByteArray("old\r\n"));
    EXPECT_EQ(SettingsIoMessage(ENOSPC), QStringLiteral("Zu wenig Speicherplatz"));
    EXPECT_EQ(SettingsIoMessage(EACCES), QStringLiteral("Dateizugriff verweigert"));
}

} // namespace
