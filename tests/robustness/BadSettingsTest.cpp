// A config.txt that is no settings file at all: binary garbage, lines of ten thousand
// characters, absurd numbers. The window starts anyway, says so at most once, runs its start
// step, and on closing writes a settings file that reads back whole.

#include "WindowFixture.h"

#include "OutputPanel.h"
#include "Settings.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QScreen>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>
#include <random>

namespace {

QByteArray RandomBytes(unsigned seed, int size, bool lineBreaks)
{
    std::mt19937 random(seed);
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const char c = char(random() & 0xFF);
        if (!lineBreaks && (c == '\n' || c == '\r'))
            continue;
        bytes += c;
    }
    // Some NULs for certain, wherever the generator put its own.
    bytes[size / 3] = '\0';
    bytes[size / 2] = '\0';
    return bytes;
}

QByteArray Lines(const std::vector<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& l : lines)
        bytes += l + "\r\n";
    return bytes;
}

struct BadConfig {
    const char* name;
    QByteArray bytes;
    // The one error box expected; nullopt: whatever the parser makes of it, at most one box.
    std::optional<QString> error;
};

void PrintTo(const BadConfig& c, std::ostream* os) { *os << c.name; }

const QString kInvalidNumber = QStringLiteral("Ungültige numerische Eingabe.");

std::vector<BadConfig> BadConfigs()
{
    const QByteArray longPath = '/' + QByteArray(9999, 'a');
    return {
        {"RandomBytes", RandomBytes(1, 4096, true), std::nullopt},
        {"RandomBytesAgain", RandomBytes(2, 65536, true), std::nullopt},
        {"RandomBytesInOneLine", RandomBytes(3, 20000, false), QString()},
        {"SixLinesOfTenThousandLetters", Lines(std::vector<QByteArray>(6, QByteArray(10000, 'x'))), kInvalidNumber},
        {"TenThousandDigitNumbers",
         Lines({"", "", "", QByteArray(10000, '9'), QByteArray(10000, '1'), QByteArray(10000, '0')}), kInvalidNumber},
        {"TenThousandCharacterPathsAndGoodNumbers",
         Lines({longPath, longPath + ".vert", longPath + ".frag", "700 500 10 20", "0", "1"}), QString()},
        {"TenThousandBlanksBeforeTheNumbers",
         Lines({"", "", "", QByteArray(10000, ' ') + "700 500 10 20" + QByteArray(10000, ' '),
                QByteArray(10000, '\t') + "0", QByteArray(10000, ' ') + "2"}),
         QString()},
        {"ExtremeIntegers",
         Lines({"", "", "", "2147483647 2147483647 -2147483648 -2147483648", "-2147483648", "2147483647"}),
         QString()},
        {"WindowLargerThanAnyScreen", Lines({"", "", "", "30000 30000 0 0", "0", "0"}), QString()},
        {"ExtremeIntegersTheOtherWay",
         Lines({"", "", "", "-2147483648 -2147483648 2147483647 2147483647", "2147483647", "-2147483648"}),
         QString()},
    };
}

class BadConfigFile : public ::testing::TestWithParam<BadConfig> {};

TEST_P(BadConfigFile, WindowStartsReportsOnceCarriesOnAndWritesAWholeFile)
{
    const BadConfig& c = GetParam();
    WindowFixture w(c.bytes);
    TMainForm& f = w.start();

    ASSERT_LE(w.dialogs.errors.size(), 1) << w.dialogs.errors.join('\n').toStdString();
    if (c.error) {
        EXPECT_EQ(w.dialogs.errors.value(0), *c.error);
    } else if (!w.dialogs.errors.isEmpty()) {
        EXPECT_EQ(w.dialogs.errors[0], kInvalidNumber);
    }
    // The later start-up steps ran.
    ASSERT_FALSE(f.glslValidateMemo->lines().isEmpty());
    EXPECT_TRUE(f.glslValidateMemo->lines()[0].startsWith(QStringLiteral("glslValidate.exe ")));
    EXPECT_NE(f.HelpSystem, nullptr);
    EXPECT_FALSE(f.StartTimer->isActive());
    EXPECT_FALSE(f.VSDocument.Changed);
    EXPECT_FALSE(f.FSDocument.Changed);
    // Never larger than the screen it opens on.
    const QSize room = f.screen()->availableGeometry().size();
    EXPECT_LE(f.frameGeometry().width(), room.width());
    EXPECT_LE(f.frameGeometry().height(), room.height());

    const QString validatorDir = f.ValidatorDir;
    const QString vertexFile = f.VSDocument.FileName;
    const QString fragmentFile = f.FSDocument.FileName;
    const int scheme = f.ComboBoxSourceHighlight->currentIndex();
    const qsizetype errorsBefore = w.dialogs.errors.size();
    EXPECT_TRUE(f.close());
    EXPECT_EQ(w.dialogs.errors.size(), errorsBefore) << w.dialogs.errors.join('\n').toStdString();

    const QByteArray written = ReadBytes(w.dir.file(QStringLiteral("config.txt")));
    EXPECT_EQ(written.count('\n'), 6);
    EXPECT_TRUE(written.endsWith("\r\n"));
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_GE(lines.size(), 6);
    const QRegularExpression geometry(QStringLiteral("^-?\\d+ -?\\d+ -?\\d+ -?\\d+\r$"));
    EXPECT_TRUE(geometry.match(QString::fromLatin1(lines[3])).hasMatch()) << lines[3].toStdString();
    EXPECT_TRUE(lines[4] == "0\r" || lines[4] == "1\r") << lines[4].toStdString();
    const SettingsReadResult reread = ParseSettings(written);
    EXPECT_EQ(reread.linesRead, 6);
    EXPECT_TRUE(reread.errorMessage.isEmpty()) << reread.errorMessage.toStdString();
    EXPECT_TRUE(reread.values.validatorDir == validatorDir);
    EXPECT_TRUE(reread.values.vertexFile == vertexFile);
    EXPECT_TRUE(reread.values.fragmentFile == fragmentFile);
    EXPECT_EQ(reread.values.schemeIndex, scheme);
}

// A FIFO would block the start for ever and a device would fill the memory.
TEST(LastFiles, SpecialFilesAreRefusedAtOnceAndThePagesStayUntitled)
{
    WindowFixture w;
    const QString fifo = w.dir.file(QStringLiteral("a.vert"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    WriteBytes(w.dir.file(QStringLiteral("config.txt")),
               Lines({"", QFile::encodeName(fifo), "/dev/zero", "700 500 10 20", "0", "0"}));
    TMainForm& f = w.start();
    ASSERT_EQ(w.dialogs.errors.size(), 2) << w.dialogs.errors.join('\n').toStdString();
    for (const QString& error : std::as_const(w.dialogs.errors))
        EXPECT_TRUE(error.endsWith(QStringLiteral("not a regular file."))) << error.toStdString();
    EXPECT_TRUE(f.VSDocument.FileName.isEmpty());
    EXPECT_TRUE(f.FSDocument.FileName.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Configs, BadConfigFile, ::testing::ValuesIn(BadConfigs()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
