// The one text-file module every reader and writer of the program uses: decoding, line
// splitting, and files read and written safely.
#include "TextFile.h"

#include "QtPrinters.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

struct SplitCase {
    const char* name;
    const char* bytes;
    QStringList lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, EachLineEndEndsOneLine)
{
    EXPECT_EQ(SplitLines(DecodeUtf8OrLatin1(GetParam().bytes)), GetParam().lines);
}

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"NoLineEnd", "a", {"a"}},
    {"CrLf", "vec2\r\nvec3\r\nvec4\r\n", {"vec2", "vec3", "vec4"}},
    {"LfAlone", "vec2\nvec3\nvec4\n", {"vec2", "vec3", "vec4"}},
    {"CrAlone", "vec2\rvec3\rvec4\r", {"vec2", "vec3", "vec4"}},
    {"Mixed", "one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
    {"LoneBreakGivesOneEmptyLine", "\r\n", {""}},
    {"TwoCrLf", "\r\n\r\n", {"", ""}},
    {"EmptyLineKept", "a\n\nb\n", {"a", "", "b"}},
    {"TrailingEmptyLine", "a\n\n", {"a", ""}},
    {"CrCr", "a\r\rb", {"a", "", "b"}},
    {"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
    {"CrCrLfIsTwoEnds", "a\r\r\nb", {"a", "", "b"}},
    {"CrLfThenLf", "a\r\n\nb", {"a", "", "b"}},
    {"BlanksKept", "  x \n\t\n", {"  x ", "\t"}},
    {"DuplicatesAndOrderKept", "z\nz\nZ\ny", {"z", "z", "Z", "y"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, SplitLinesTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    ByteOrderMark bom;
    QString text;
    TextEncoding encoding;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, Utf8WhenValidElseLatin1)
{
    const DecodeCase& c = GetParam();
    TextEncoding encoding = c.encoding == TextEncoding::Utf8 ? TextEncoding::Latin1 : TextEncoding::Utf8;
    EXPECT_EQ(DecodeUtf8OrLatin1(c.bytes, &encoding, c.bom), c.text);
    EXPECT_EQ(encoding, c.encoding);
}

constexpr auto kDrop = ByteOrderMark::Drop;
constexpr auto kUtf8 = TextEncoding::Utf8;
constexpr auto kLatin1 = TextEncoding::Latin1;

INSTANTIATE_TEST_SUITE_P(
    Encodings, DecodeTest,
    ::testing::Values(
        DecodeCase{"Ascii", "ERROR: 0:1: x", kDrop, QStringLiteral("ERROR: 0:1: x"), kUtf8},
        DecodeCase{"Utf8", "caf\xc3\xa9", kDrop, QStringLiteral("caf\u00e9"), kUtf8},
        DecodeCase{"Latin1", "caf\xe9", kDrop, QStringLiteral("caf\u00e9"), kLatin1},
        // One bad sequence makes the whole text Latin-1, not a mix.
        DecodeCase{"Utf8AndStrayByte", "\xc3\xa9 \xe9", kDrop, QStringLiteral("\u00c3\u00a9 \u00e9"), kLatin1},
        DecodeCase{"TruncatedUtf8AtEnd", "ok\xc3", kDrop, QStringLiteral("ok\u00c3"), kLatin1},
        DecodeCase{"Empty", "", kDrop, QString(), kUtf8},
        DecodeCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFvec2", kDrop, QStringLiteral("vec2"), kUtf8},
        DecodeCase{"ByteOrderMarkKept", "\xEF\xBB\xBFvec2", ByteOrderMark::Keep, QStringLiteral("\uFEFFvec2"), kUtf8}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntegerCase {
    const char* token;
    bool valid;
    int value;
};

// Both data files with numbers (config.txt and the hint file) read their tokens here.
TEST(ParseIntegerToken, SignedDecimalsThatFitAnInt)
{
    const IntegerCase cases[] = {
        {"0", true, 0},           {"42", true, 42},          {"+7", true, 7},
        {"-7", true, -7},         {"007", true, 7},          {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},              {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"", false, 0},           {"+", false, 0},
        {"-", false, 0},          {"+-5", false, 0},         {"--5", false, 0},
        {"5x", false, 0},         {"0x10", false, 0},        {" 5", false, 0},
    };
    for (const IntegerCase& c : cases) {
        int value = -99;
        EXPECT_EQ(ParseIntegerToken(QString::fromLatin1(c.token), value), c.valid) << c.token;
        if (c.valid) {
            EXPECT_EQ(value, c.value) << c.token;
        }
    }
}


// ---- reading and writing files on a machine that is not on the user's side ----

QByteArray Local(const QString& path)
{
    return QFile::encodeName(path);
}

// Runs body in a child process, as another user where asked (root only), and gives its exit
// code: an identity change or a resource limit must not reach the test process itself.
int InChild(const std::function<int()>& body, uid_t asUser = 0)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asUser != 0 && (::setgroups(0, nullptr) != 0 || ::setgid(asUser) != 0 || ::setuid(asUser) != 0))
            ::_exit(200);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 300;
}

constexpr uid_t kNobody = 65534;

struct ReadCase {
    const char* name;
    std::function<QString(const QTemporaryDir&)> make; // gives the path to read
    ReadOptions options;
    int expected;
    qsizetype bytesRead;
};

TEST(ReadFileBytes, OnlyWholeRegularFilesWithinTheLimitAreRead)
{
    const auto file = [](const char* bytes) {
        return [bytes](const QTemporaryDir& d) {
            WriteBytes(d.filePath(QStringLiteral("f")), bytes);
            return d.filePath(QStringLiteral("f"));
        };
    };
    ReadOptions small;
    small.maxBytes = 4;
    ReadOptions cut = small;
    cut.cutAtLimit = true;
    ReadOptions noLinks;
    noLinks.followLinks = false;
    const ReadCase cases[] = {
        // A FIFO with no writer would block open() and read() for ever.
        {"fifo", [](const QTemporaryDir& d) {
             ::mkfifo(Local(d.filePath(QStringLiteral("p"))).constData(), 0600);
             return d.filePath(QStringLiteral("p"));
         }, {}, kNotRegularFile, 0},
        // A device never ends.
        {"device", [](const QTemporaryDir&) { return QStringLiteral("/dev/zero"); }, {}, kNotRegularFile, 0},
        {"directory", [](const QTemporaryDir& d) { return d.path(); }, {}, EISDIR, 0},
        {"within the limit", file("1234"), small, 0, 4},
        {"over the limit", file("12345"), small, kFileTooLarge, 0},
        {"cut at the limit", file("12345"), cut, 0, 4},
        {"link followed", [](const QTemporaryDir& d) {
             WriteBytes(d.filePath(QStringLiteral("t")), "target");
             QFile::link(d.filePath(QStringLiteral("t")), d.filePath(QStringLiteral("l")));
             return d.filePath(QStringLiteral("l"));
         }, {}, 0, 6},
        {"link refused", [](const QTemporaryDir& d) {
             WriteBytes(d.filePath(QStringLiteral("t")), "target");
             QFile::link(d.filePath(QStringLiteral("t")), d.filePath(QStringLiteral("l")));
             return d.filePath(QStringLiteral("l"));
         }, noLinks, ELOOP, 0},
    };
    for (const ReadCase& c : cases) {
        QTemporaryDir dir;
        QByteArray bytes("stale");
        EXPECT_EQ(ReadFileBytes(c.make(dir), bytes, c.options), c.expected) << c.name;
        EXPECT_EQ(bytes.size(), c.bytesRead) << c.name;
    }
}

TEST(WriteFileAtomically, NeverReplacesAFileTheUserMayNotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play a second user";
    QTemporaryDir dir;
    ::chmod(Local(dir.path()).constData(), 0777);
    const QString readOnly = dir.filePath(QStringLiteral("read-only"));
    const QString roots = dir.filePath(QStringLiteral("roots"));
    WriteBytes(readOnly, "old");
    WriteBytes(roots, "old");
    ::chown(Local(readOnly).constData(), kNobody, kNobody);
    ::chmod(Local(readOnly).constData(), 0444);
    ::chmod(Local(roots).constData(), 0644);
    for (const QString& path : {readOnly, roots}) {
        EXPECT_EQ(InChild([&] { return WriteFileAtomically(path, "new"); }, kNobody), EACCES) << path.toStdString();
        EXPECT_EQ(ReadBytes(path), "old");
    }
    struct stat info {};
    ::stat(Local(roots).constData(), &info);
    EXPECT_EQ(info.st_uid, 0u);
}

// A save must not change who owns the file nor part it from its other names.
TEST(WriteFileAtomically, KeepsOwnerGroupAndHardLinks)
{
    QTemporaryDir dir;
    ::chmod(Local(dir.path()).constData(), 0777);
    const QString linked = dir.filePath(QStringLiteral("linked"));
    const QString other = dir.filePath(QStringLiteral("other name"));
    WriteBytes(linked, "old");
    ASSERT_EQ(::link(Local(linked).constData(), Local(other).constData()), 0);
    struct stat before {};
    ::stat(Local(linked).constData(), &before);
    EXPECT_EQ(WriteFileAtomically(linked, "new text"), 0);
    struct stat after {};
    ::stat(Local(linked).constData(), &after);
    EXPECT_EQ(ReadBytes(other), "new text");
    EXPECT_EQ(after.st_ino, before.st_ino);

    if (::geteuid() != 0)
        return;
    // Root saving a user's file leaves it the user's; a user saving a file of root's that
    // the user may write leaves it root's (written in place, as no new file can be root's).
    const QString users = dir.filePath(QStringLiteral("users"));
    WriteBytes(users, "old");
    ::chown(Local(users).constData(), kNobody, kNobody);
    EXPECT_EQ(WriteFileAtomically(users, "by root"), 0);
    const QString roots = dir.filePath(QStringLiteral("roots"));
    WriteBytes(roots, "old");
    ::chmod(Local(roots).constData(), 0666);
    EXPECT_EQ(InChild([&] { return WriteFileAtomically(roots, "by the user"); }, kNobody), 0);
    for (const auto& [path, owner, text] : {std::tuple{users, kNobody, "by root"}, std::tuple{roots, uid_t(0), "by the user"}}) {
        struct stat info {};
        ::stat(Local(path).constData(), &info);
        EXPECT_EQ(info.st_uid, owner) << path.toStdString();
        EXPECT_EQ(info.st_gid, owner) << path.toStdString();
        EXPECT_EQ(ReadBytes(path), text);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}

// With SIGXFSZ ignored, as the program does, a file-size limit fails a save like a full disk.
TEST(WriteFileAtomically, FileSizeLimitFailsTheSaveAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.vert"));
    WriteBytes(path, "old");
    const int result = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return WriteFileAtomically(path, QByteArray(100000, 'x'));
    });
    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.vert")});
}

TEST(WriteFileAtomically, TemporaryFilesOfAKilledSaveGoAtTheNextSave)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.vert"));
    WriteBytes(path, "old");
    const QString stale = path + QStringLiteral(".lumenpad-Ab12Cd");
    const QString young = path + QStringLiteral(".lumenpad-Xy34Zw");
    const QString othersName = dir.filePath(QStringLiteral("b.vert.lumenpad-Ab12Cd"));
    for (const QString& p : {stale, young, othersName})
        WriteBytes(p, "half");
    const timeval old[2] = {{1000000, 0}, {1000000, 0}};
    ::utimes(Local(stale).constData(), old);
    ::utimes(Local(othersName).constData(), old);
    EXPECT_EQ(WriteFileAtomically(path, "new"), 0);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(young)) << "may belong to a save still running";
    EXPECT_TRUE(QFileInfo::exists(othersName));
}

} // namespace
