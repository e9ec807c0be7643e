// Shader files the editor cannot show as they are: NUL bytes are refused wherever a file is
// opened, and bytes that are no valid UTF-8 come back unchanged however they are spread.

#include "WindowFixture.h"

#include "ErrorReporting.h"
#include "EventLoopWait.h"
#include "ShaderEditor.h"

#include <QLabel>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

#include <random>

namespace {

QString NulRefusal(const QString& path)
{
    return ErrorBoxText(QStringLiteral("Datei %1 enthält NUL-Zeichen und ist keine Textdatei; sie wird nicht "
                                       "geöffnet, damit sie unverändert bleibt")
                            .arg(path));
}

QByteArray config(const QString& vs, const QString& fs)
{
    return ("\r\n" + vs + "\r\n" + fs + "\r\n").toUtf8() + "700 500 10 20\r\n0\r\n0\r\n";
}

// A megabyte of good text with a single NUL as its very last byte.
QByteArray TextEndingInNul()
{
    QByteArray bytes;
    while (bytes.size() < 1024 * 1024)
        bytes += "void main() { gl_FragColor = vec4(1.0); }\r\n";
    bytes += '\0';
    return bytes;
}

TEST(NulBytes, OneNulAtTheEndOfAMegabyteRefusesTheFileAndKeepsThePage)
{
    WindowFixture w;
    TMainForm& f = w.start();
    const QString good = w.dir.file(QStringLiteral("good.vert"));
    WriteBytes(good, "void main() {}\n");
    w.dialogs.openPaths = {good};
    f.ToolButton2->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty());

    const QString bad = w.dir.file(QStringLiteral("nul at end.vert"));
    const QByteArray badBytes = TextEndingInNul();
    WriteBytes(bad, badBytes);
    w.dialogs.openPaths = {bad};
    f.ToolButton2->click();
    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_EQ(w.dialogs.errors[0], NulRefusal(bad));
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("void main() {}\n"));
    EXPECT_EQ(f.VSDocument.FileName, good);
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:") + good);
    EXPECT_FALSE(f.VSDocument.Changed);
    // Saving now writes the page it shows to its own file, never over the refused one.
    f.ToolButton3->click();
    EXPECT_EQ(ReadBytes(good), QByteArray("void main() {}\n"));
    EXPECT_TRUE(ReadBytes(bad) == badBytes);
}

TEST(NulBytes, StartUpReopenRefusesTheFragmentFileAloneAndForgetsIt)
{
    WindowFixture w;
    const QString vs = w.dir.file(QStringLiteral("last.vert"));
    WriteBytes(vs, "void main() { gl_Position = ftransform(); }\r\n");
    const QString fs = w.dir.file(QStringLiteral("last.frag"));
    const QByteArray fsBytes = TextEndingInNul();
    WriteBytes(fs, fsBytes);
    WriteBytes(w.dir.file(QStringLiteral("config.txt")), config(vs, fs));
    TMainForm& f = w.start();

    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_EQ(w.dialogs.errors[0], NulRefusal(fs));
    EXPECT_FALSE(f.StartTimer->isActive());
    // The vertex file is there despite the fragment file's failure.
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("void main() { gl_Position = ftransform(); }\n"));
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:") + vs);
    EXPECT_TRUE(f.ShaderRichEditFS->toPlainText().isEmpty());
    EXPECT_TRUE(f.FSDocument.FileName.isEmpty());
    EXPECT_TRUE(f.StatusPanel1->text().isEmpty());

    // Save on the fragment page asks for a name rather than emptying the refused file.
    f.PageControl1->setCurrentWidget(f.FSTabSheet);
    f.ToolButton3->click();
    EXPECT_EQ(w.dialogs.saveDialogs, 1);
    f.close();
    EXPECT_TRUE(ReadBytes(fs) == fsBytes);
    const QList<QByteArray> lines = ReadBytes(w.dir.file(QStringLiteral("config.txt"))).split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[1], vs.toUtf8() + '\r');
    EXPECT_EQ(lines[2], QByteArray("\r")) << "the refused file is not reopened next time";
}

// Lines of a shader with bytes that are no UTF-8 at the given places; CR LF line ends.
enum class Spread { Everywhere, OnlyAtTheStart, OnlyAtTheEnd };

QByteArray MixedFile(Spread spread)
{
    static const QByteArray kInvalid[] = {
        "\xC3\x28",         // a lead byte without its continuation
        "\xFF",             // never in UTF-8
        "\x80",             // a lone continuation byte
        "\xC0\xAF",         // overlong '/'
        "\xED\xA0\x80",     // a surrogate
        "\xE2\x82",         // a sequence cut short
        "\xF4\x90\x80\x80", // beyond U+10FFFF
    };
    static const QByteArray kValid[] = {
        "uniform vec4 tint; // gr\xC3\xBC\xC3\x9F" "e",
        "    gl_FragColor = vec4(1.0) * tint; // \xE2\x82\xAC",
        "void main() { float d = max(0.0, 1.0); }",
        "",
    };
    std::mt19937 random(7);
    QByteArray bytes;
    const int lines = 40000;
    for (int i = 0; i < lines; ++i) {
        QByteArray line = kValid[i % std::size(kValid)];
        const bool bad = spread == Spread::Everywhere  ? i % 37 == 5
                         : spread == Spread::OnlyAtTheStart ? i == 0
                                                            : i == lines - 1;
        if (bad) {
            const QByteArray& b = kInvalid[random() % std::size(kInvalid)];
            line.insert(qsizetype(random() % (line.size() + 1)), b);
        }
        bytes += line + "\r\n";
    }
    return bytes;
}

// Where two byte strings first differ, with a little context, for a failure message.
std::string FirstDifference(const QByteArray& actual, const QByteArray& expected)
{
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    if (i == actual.size() && i == expected.size())
        return std::string();
    const qsizetype from = std::max<qsizetype>(0, i - 16);
    return (QStringLiteral(": %1 and %2 bytes, first difference at %3: ").arg(actual.size()).arg(expected.size()).arg(i)
            + QString::fromLatin1(actual.mid(from, 40).toHex(' ')) + QStringLiteral(" instead of ")
            + QString::fromLatin1(expected.mid(from, 40).toHex(' ')))
        .toStdString();
}

void PrintTo(Spread s, std::ostream* os)
{
    *os << (s == Spread::Everywhere ? "everywhere" : s == Spread::OnlyAtTheStart ? "only at the start" : "only at the end");
}

class InvalidUtf8 : public ::testing::TestWithParam<Spread> {};

TEST_P(InvalidUtf8, LargeFileSavesBackByteForByteAndAfterAnEditKeepsItsBytes)
{
    const QByteArray bytes = MixedFile(GetParam());
    ASSERT_GT(bytes.size(), 1000000);
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file(QStringLiteral("mixed.frag"));
    WriteBytes(path, bytes);
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    // The lines after the first screen arrive from the event loop.
    ASSERT_TRUE(WaitFor([&] { return !f.ShaderRichEdit->isLoading(); }, 30000));
    // Each byte stands for one character, so every line shows all of its bytes.
    const QTextBlock first = f.ShaderRichEdit->document()->firstBlock();
    EXPECT_EQ(first.text(), QString::fromLatin1(bytes.left(bytes.indexOf("\r\n"))));
    EXPECT_EQ(f.ShaderRichEdit->document()->blockCount(), bytes.count("\r\n") + 1);

    WriteBytes(path, "clobbered");
    f.ToolButton3->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    const QByteArray saved = ReadBytes(path);
    EXPECT_TRUE(saved == bytes) << "the saved file differs" << FirstDifference(saved, bytes);

    // A line typed at the end is saved in the file's own form, the rest unchanged.
    f.ShaderRichEdit->moveCursor(QTextCursor::End);
    f.ShaderRichEdit->insertPlainText(QStringLiteral("// added\n"));
    f.ToolButton3->click();
    EXPECT_TRUE(ReadBytes(path) == bytes + "// added\r\n") << "the edited file lost bytes";
}

INSTANTIATE_TEST_SUITE_P(Spreads, InvalidUtf8,
                         ::testing::Values(Spread::Everywhere, Spread::OnlyAtTheStart, Spread::OnlyAtTheEnd),
                         [](const auto& info) {
                             switch (info.param) {
                             case Spread::Everywhere: return std::string("Everywhere");
                             case Spread::OnlyAtTheStart: return std::string("OnlyAtTheStart");
                             case Spread::OnlyAtTheEnd: return std::string("OnlyAtTheEnd");
                             }
                             return std::string();
                         });

// Characters the editor's plain-text view of a page would turn into others: a no-break space
// into a blank, a line separator into a line break.
struct SpecialText {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const SpecialText& t, std::ostream* os) { *os << t.name; }

class SpecialCharacters : public ::testing::TestWithParam<SpecialText> {};

TEST_P(SpecialCharacters, SaveBackByteForByte)
{
    const QByteArray& bytes = GetParam().bytes;
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file(QStringLiteral("special.vert"));
    WriteBytes(path, bytes);
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    WriteBytes(path, "clobbered");
    f.ToolButton3->click();
    const QByteArray saved = ReadBytes(path);
    EXPECT_TRUE(saved == bytes) << FirstDifference(saved, bytes);
    const QString other = w.dir.file(QStringLiteral("other.vert"));
    w.dialogs.savePaths = {other};
    f.ToolButton9->click();
    const QByteArray savedAs = ReadBytes(other);
    EXPECT_TRUE(savedAs == bytes) << FirstDifference(savedAs, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SpecialCharacters,
    ::testing::Values(SpecialText{"Utf8NoBreakSpace", "float\xC2\xA0x; // \xC3\xA4\r\n"},
                      SpecialText{"Latin1NoBreakSpace", "float\xA0x; // \xE4\xFF\r\n"},
                      SpecialText{"Utf8LineSeparator", "float a;\xE2\x80\xA8" "float b;\n"},
                      SpecialText{"Utf8NextLineAndByteOrderMarkInside", "a\xC2\x85" "b\xEF\xBB\xBF" "c\r"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
