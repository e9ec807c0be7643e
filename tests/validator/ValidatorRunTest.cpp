// The editor's validator run: with the real glslvalidate, and with small shell scripts that
// stand in for validators that misbehave (never end, write no log, crash).

#include "LumenpadError.h"
#include "OutputPanel.h"
#include "TestFiles.h"
#include "ValidatorRun.h"
#include "ValidatorRunner.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Readable failure output for Qt strings (and lists of them).
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kHeading = QStringLiteral("glslValidate output :");
// A directory name that breaks anything which pastes paths into a shell command line.
const QString kAwkwardName = QStringLiteral("shader dir 'single' \"double\" $HOME `x` ;&");

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Catches what the window's RunHandler would show.
QString ThrownMessage(const std::function<void()>& run)
{
    try {
        run();
    } catch (const LumenpadError& e) {
        return e.message();
    }
    return QString();
}

class ValidatorRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        dir_ = root_.filePath(kAwkwardName);
        ASSERT_TRUE(QDir().mkpath(dir_));
        window_.resize(400, 300);
        window_.show();
        QApplication::processEvents(); // the first paint is done before any run
        panel_.replaceLines(previous_);
    }

    QString file(const QString& name) const { return dir_ + QLatin1Char('/') + name; }

    void UseRealValidator()
    {
        ASSERT_TRUE(QFile::link(ProgramDirPath(QStringLiteral("glslvalidate")), file(QStringLiteral("glslvalidate"))));
    }

    void UseFakeValidator(const QByteArray& script, bool executable = true)
    {
        const QString path = file(QStringLiteral("glslvalidate"));
        WriteBytes(path, "#!/bin/sh\n" + script + "\n");
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            p |= QFile::ExeOwner;
        ASSERT_TRUE(QFile::setPermissions(path, p));
    }

    void Run(const ValidatorPage& page, const QByteArray& text, const ValidatorRunOptions& options = {})
    {
        RunValidator(&window_, dir_, page, text, panel_, options);
    }

    QTemporaryDir root_;
    QString dir_;
    QWidget window_;
    OutputPanel panel_;
    const QStringList previous_{QStringLiteral("glslvalidate found."), QStringLiteral("earlier driver output")};
};

// ---- the real validator ----

TEST_F(ValidatorRunTest, BrokenVertexPageShowsHeadingAndExactlyTheLogLines)
{
    UseRealValidator();
    Run(VertexValidatorPage(), "void main()\r\n{\r\n  gl_Position = foo;\r\n}\r\n");

    QStringList expected = QString::fromUtf8(ReadBytes(file(QStringLiteral("vertex.log")))).split(QLatin1Char('\n'));
    ASSERT_EQ(expected.takeLast(), QString()); // the log ends with a line break
    expected.prepend(kHeading);
    EXPECT_EQ(panel_.lines(), expected);
    EXPECT_EQ(panel_.lines().value(1), QStringLiteral("ERROR: 0:3: 'foo' : undeclared identifier "));
    EXPECT_EQ(panel_.lines().back(), QStringLiteral("Vertex shader failed to compile: 3 errors, 0 warnings."));
    // The temporary file is gone, the log stays, the other stage's files were not touched.
    EXPECT_EQ(Entries(dir_), QStringList({QStringLiteral("glslvalidate"), QStringLiteral("vertex.log")}));
}

TEST_F(ValidatorRunTest, FragmentPageIsCheckedAsAFragmentShader)
{
    UseRealValidator();
    Run(FragmentValidatorPage(), "void main()\n{\n  gl_FragColor = vec4(1.0);\n}\n");
    EXPECT_EQ(panel_.lines(), QStringList({kHeading, QStringLiteral("Fragment shader compiled: 0 errors, 0 warnings.")}));
    EXPECT_EQ(Entries(dir_), QStringList({QStringLiteral("fragment.log"), QStringLiteral("glslvalidate")}));
}

TEST_F(ValidatorRunTest, EmptyPageIsStillValidated)
{
    UseRealValidator();
    Run(VertexValidatorPage(), QByteArray());
    EXPECT_EQ(panel_.lines(), QStringList({kHeading, QStringLiteral("Vertex shader compiled: 0 errors, 0 warnings.")}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.vs"))));
}

TEST_F(ValidatorRunTest, ARunWithTheRealValidatorShowsNoWaitDialogWhenItIsQuick)
{
    UseRealValidator();
    int dialogs = 0;
    ValidatorRunOptions options;
    options.onWaitShown = [&](QProgressDialog&) { ++dialogs; };
    QElapsedTimer t;
    t.start();
    Run(VertexValidatorPage(), "void main() { gl_Position = vec4(1.0); }\n", options);
    // Only meaningful when the machine was quick enough; a slow one may show the dialog.
    if (t.elapsed() < 150) {
        EXPECT_EQ(dialogs, 0);
    }
    EXPECT_EQ(panel_.lines().size(), 2);
}

// ---- the command line, the working directory and the temporary file ----

struct PageCase {
    const char* name;
    const ValidatorPage& (*page)();
    const char* args;
    const char* tempFile;
    const char* logFile;
    const char* otherTempFile;
    const char* otherLogFile;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

class ValidatorRunPage : public ValidatorRunTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(ValidatorRunPage, ValidatorGetsArgumentsWorkingDirectoryAndThePageText)
{
    const PageCase& c = GetParam();
    const QByteArray script = QByteArray("{ printf 'args:'; for a in \"$@\"; do printf '[%s]' \"$a\"; done; printf '\\n';\n"
                                         "  printf 'pwd:%s\\n' \"$(pwd)\"; } > ")
        + c.logFile + "\ncp " + c.tempFile + " captured\n";
    UseFakeValidator(script);
    // The other page's files from earlier runs stay as they are.
    WriteBytes(file(QString::fromLatin1(c.otherTempFile)), "other page\n");
    WriteBytes(file(QString::fromLatin1(c.otherLogFile)), "other log\n");
    // A temporary file left by some earlier trouble is overwritten, not appended to.
    WriteBytes(file(QString::fromLatin1(c.tempFile)), "stale text that is longer than the page\n");

    const QByteArray text = "// caf\xe9, unsaved\r\nvoid main() {}\r\n";
    Run(c.page(), text);

    EXPECT_EQ(panel_.lines(), QStringList({kHeading, QStringLiteral("args:") + QString::fromLatin1(c.args),
                                           QStringLiteral("pwd:") + QFileInfo(dir_).canonicalFilePath()}));
    EXPECT_EQ(ReadBytes(file(QStringLiteral("captured"))), text);
    EXPECT_FALSE(QFileInfo::exists(file(QString::fromLatin1(c.tempFile))));
    EXPECT_EQ(ReadBytes(file(QString::fromLatin1(c.otherTempFile))), "other page\n");
    EXPECT_EQ(ReadBytes(file(QString::fromLatin1(c.otherLogFile))), "other log\n");
}

INSTANTIATE_TEST_SUITE_P(Pages, ValidatorRunPage,
                         ::testing::Values(PageCase{"Vertex", &VertexValidatorPage, "[/v][tmp.vs]", "tmp.vs",
                                                    "vertex.log", "tmp.fs", "fragment.log"},
                                           PageCase{"Fragment", &FragmentValidatorPage, "[/f][tmp.fs]", "tmp.fs",
                                                    "fragment.log", "tmp.vs", "vertex.log"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ValidatorRunTest, ValidatorDirRelativeToTheWorkingDirectory)
{
    UseFakeValidator("pwd > vertex.log");
    const QString previousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root_.path()));
    const QString message = ThrownMessage([&] { RunValidator(&window_, kAwkwardName, VertexValidatorPage(), "x", panel_); });
    QDir::setCurrent(previousDir);
    EXPECT_EQ(message, QString());
    EXPECT_EQ(panel_.lines(), QStringList({kHeading, QFileInfo(dir_).canonicalFilePath()}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.vs"))));
}

// ---- the log ----

TEST_F(ValidatorRunTest, LogLineEndsOfEveryKindAndLatin1Text)
{
    UseFakeValidator("printf 'one\\r\\ntwo\\rthree\\n\\ncaf\\351\\n' > vertex.log");
    Run(VertexValidatorPage(), "x");
    EXPECT_EQ(panel_.lines(), QStringList({kHeading, QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                                           QString(), QStringLiteral("caf\u00e9")}));
}

TEST_F(ValidatorRunTest, EmptyLogLeavesTheHeadingAlone)
{
    UseFakeValidator(": > vertex.log");
    Run(VertexValidatorPage(), "x");
    EXPECT_EQ(panel_.lines(), QStringList({kHeading}));
}

TEST_F(ValidatorRunTest, LogFromAnEarlierRunIsNeverTakenForThisRunsLog)
{
    WriteBytes(file(QStringLiteral("vertex.log")), "from an earlier run\r\n");
    const QString message = ThrownMessage([&] { Run(VertexValidatorPage(), "x"); });
    EXPECT_EQ(message, QStringLiteral("Datei %1/vertex.log kann nicht geöffnet werden. No such file or directory").arg(dir_));
    EXPECT_EQ(panel_.lines(), previous_);
    EXPECT_TRUE(Entries(dir_).isEmpty());
}

// ---- failures ----

struct NoLogCase {
    const char* name;
    const char* script; // nullptr: no validator at all
    bool executable;
};

void PrintTo(const NoLogCase& c, std::ostream* os) { *os << c.name; }

class ValidatorRunNoLog : public ValidatorRunTest, public ::testing::WithParamInterface<NoLogCase> {};

TEST_P(ValidatorRunNoLog, CannotOpenMessageNamesTheLogAndThePanelStays)
{
    if (GetParam().script)
        UseFakeValidator(GetParam().script, GetParam().executable);
    const QString message = ThrownMessage([&] { Run(VertexValidatorPage(), "x"); });
    EXPECT_EQ(message, QStringLiteral("Datei %1/vertex.log kann nicht geöffnet werden. No such file or directory").arg(dir_));
    EXPECT_EQ(panel_.lines(), previous_);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.vs"))));
}

INSTANTIATE_TEST_SUITE_P(Validators, ValidatorRunNoLog,
                         ::testing::Values(NoLogCase{"Missing", nullptr, true},
                                           NoLogCase{"NotExecutable", "echo never ran > vertex.log", false},
                                           NoLogCase{"WritesNoLog", "exit 0", true},
                                           NoLogCase{"LogInTheWrongPlace", "echo hi > ../vertex.log", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A validator killed by a signal reports nothing, whatever half a log it or an earlier run left.
TEST_F(ValidatorRunTest, ValidatorKilledByASignalGetsOneLineAndNoLog)
{
    for (const char* script : {"kill -SEGV $$", "printf 'ERROR: 0:1: half a log\\n' > vertex.log\nkill -SEGV $$"}) {
        UseFakeValidator(script);
        WriteBytes(file(QStringLiteral("vertex.log")), "compiled: 0 errors, 0 warnings\n");
        Run(VertexValidatorPage(), "x");
        EXPECT_EQ(panel_.lines(), QStringList({QStringLiteral("glslValidate ended abnormally (killed by signal 11); "
                                                              "its log, if any, was not read.")}))
            << script;
        EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.vs"))));
    }
}

// What lies under the temporary file's or the log's name in a shared directory: the user's
// own leftovers are cleared away; anything else stops the run before the validator starts,
// and the file a planted link names is never written.
struct PlantedCase {
    const char* name;
    const char* planted; // "tmp.vs" or "vertex.log"
    const char* kind;    // link, fifo, file
    bool foreign;        // owned by another user (needs root)
};

void PrintTo(const PlantedCase& c, std::ostream* os) { *os << c.name; }

class ValidatorRunPlanted : public ValidatorRunTest, public ::testing::WithParamInterface<PlantedCase> {};

TEST_P(ValidatorRunPlanted, NothingPlantedIsWrittenThroughOrShown)
{
    const PlantedCase& c = GetParam();
    if (c.foreign && ::geteuid() != 0)
        GTEST_SKIP() << "another user's file needs root to plant";
    UseFakeValidator("echo started > started\nprintf 'compiled: 0 errors, 0 warnings\\n' > vertex.log");
    const QString precious = root_.filePath(QStringLiteral("precious.txt"));
    WriteBytes(precious, "precious\n");
    const QString planted = file(QString::fromLatin1(c.planted));
    const QByteArray plantedName = QFile::encodeName(planted);
    if (c.kind == std::string("link"))
        ASSERT_TRUE(QFile::link(precious, planted));
    else if (c.kind == std::string("fifo"))
        ASSERT_EQ(::mkfifo(plantedName.constData(), 0666), 0);
    else
        WriteBytes(planted, "compiled: 0 errors, 0 warnings\n");
    if (c.foreign) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir_).constData(), 01777), 0);
        ASSERT_EQ(::lchown(plantedName.constData(), 65534, 65534), 0);
    }

    const QString message = ThrownMessage([&] { Run(VertexValidatorPage(), "void main() {}\n"); });
    EXPECT_EQ(ReadBytes(precious), "precious\n");
    if (!c.foreign) {
        EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        EXPECT_EQ(panel_.lines(), QStringList({kHeading, QStringLiteral("compiled: 0 errors, 0 warnings")}));
    } else {
        EXPECT_EQ(message, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. the file belongs to another user")
                               .arg(planted));
        EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("started"))));
        EXPECT_EQ(panel_.lines(), previous_);
    }
}

INSTANTIATE_TEST_SUITE_P(SharedDirectory, ValidatorRunPlanted,
                         ::testing::Values(PlantedCase{"OwnLinkAsTempFile", "tmp.vs", "link", false},
                                           PlantedCase{"OwnFifoAsLog", "vertex.log", "fifo", false},
                                           PlantedCase{"ForeignLinkAsTempFile", "tmp.vs", "link", true},
                                           PlantedCase{"ForeignLinkAsLog", "vertex.log", "link", true},
                                           PlantedCase{"ForeignFifoAsLog", "vertex.log", "fifo", true},
                                           PlantedCase{"ForeignFileAsLog", "vertex.log", "file", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ValidatorRunTest, HugeLogIsReadUpToItsLimit)
{
    UseFakeValidator("head -c 20000000 /dev/zero | tr '\\0' 'e' > vertex.log");
    Run(VertexValidatorPage(), "x");
    ASSERT_EQ(panel_.lines().size(), 3);
    EXPECT_EQ(panel_.lines()[1].size(), kMaxValidatorLogBytes);
    EXPECT_EQ(panel_.lines()[2], QStringLiteral("(the log is longer than 16 MB; the rest was not read)"));
}

TEST_F(ValidatorRunTest, NoValidatorDirectoryIsNeverTheRootDirectory)
{
    const QString message = ThrownMessage([&] { RunValidator(&window_, QString(), VertexValidatorPage(), "x", panel_); });
    EXPECT_EQ(message, QStringLiteral("Datei \"tmp.vs\" kann nicht erstellt werden. No such file or directory"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp.vs")));
}

TEST_F(ValidatorRunTest, LogThatIsADirectoryStopsTheRunWithTheCannotCreateMessage)
{
    UseFakeValidator("touch started");
    ASSERT_TRUE(QDir(dir_).mkdir(QStringLiteral("vertex.log")));
    const QString message = ThrownMessage([&] { Run(VertexValidatorPage(), "x"); });
    EXPECT_EQ(message, QStringLiteral("Datei \"%1/vertex.log\" kann nicht erstellt werden. Is a directory").arg(dir_));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("started"))));
    EXPECT_EQ(panel_.lines(), previous_);
}

TEST_F(ValidatorRunTest, MissingValidatorDirectoryGivesTheCannotCreateMessage)
{
    const QString missing = root_.filePath(QStringLiteral("no such dir"));
    const QString message = ThrownMessage([&] { RunValidator(&window_, missing, VertexValidatorPage(), "x", panel_); });
    EXPECT_EQ(message, QStringLiteral("Datei \"%1/tmp.vs\" kann nicht erstellt werden. No such file or directory").arg(missing));
    EXPECT_EQ(panel_.lines(), previous_);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(ValidatorRunTest, TempFileThatCannotBeWrittenStartsNoValidatorAndDeletesNothing)
{
    UseFakeValidator("touch started\necho log > vertex.log");
    // A directory in the temporary file's place cannot be replaced, whoever runs the test.
    ASSERT_TRUE(QDir(dir_).mkpath(QStringLiteral("tmp.vs/keep")));
    const QString message = ThrownMessage([&] { Run(VertexValidatorPage(), "x"); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Datei \"%1/tmp.vs\" kann nicht erstellt werden. ").arg(dir_)))
        << message.toStdString();
    EXPECT_FALSE(message.endsWith(QStringLiteral("werden. "))) << "the system's reason is missing";
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("started"))));
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("tmp.vs/keep"))).isDir());
    EXPECT_EQ(panel_.lines(), previous_);
}

// ---- validators that take long or never end ----

// Watches the window while the run waits: timers keep firing and the window keeps painting.
class LivenessProbe : public QObject {
public:
    explicit LivenessProbe(QWidget& window) : window_(window)
    {
        window_.installEventFilter(this);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            ++ticks;
            window_.update();
        });
    }
    void start()
    {
        started_ = true;
        ticker_.start(10);
    }

    int ticks = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (started_ && e->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QWidget& window_;
    QTimer ticker_;
    bool started_ = false;
};

constexpr char kNeverEnds[] = "sleep 1000 &\necho $! > child.pid\nwait";

TEST_F(ValidatorRunTest, CancelStopsTheValidatorAndEverythingItStarted)
{
    UseFakeValidator(kNeverEnds);
    WriteBytes(file(QStringLiteral("vertex.log")), "stale log that must not be shown\n");
    LivenessProbe probe(window_);
    bool modal = false;
    ValidatorRunOptions options;
    options.onWaitShown = [&](QProgressDialog& dialog) {
        modal = dialog.isVisible() && dialog.windowModality() == Qt::WindowModal && dialog.parentWidget() == &window_
            && QApplication::activeModalWidget() == &dialog;
        probe.start();
        QPushButton* cancel = dialog.findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), QStringLiteral("Abbrechen"));
        QTimer::singleShot(400, cancel, &QPushButton::click);
    };
    QElapsedTimer t;
    t.start();
    Run(VertexValidatorPage(), "void main() {}\n", options);

    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_TRUE(modal);
    EXPECT_GT(probe.ticks, 5);
    EXPECT_GT(probe.paints, 5);
    EXPECT_EQ(panel_.lines(), QStringList({QStringLiteral("glslValidate was cancelled; no log was read.")}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.vs"))));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("vertex.log")))) << "an earlier run's log was left to be taken for this one's";
    bool ok = false;
    const qint64 child = QString::fromLatin1(ReadBytes(file(QStringLiteral("child.pid")))).trimmed().toLongLong(&ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ProcessGone(child)) << "the validator's own child still runs";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

struct TimeLimitCase {
    int timeoutMs;
    const char* said;
};

class ValidatorRunTimeLimit : public ValidatorRunTest, public ::testing::WithParamInterface<TimeLimitCase> {};

TEST_P(ValidatorRunTimeLimit, ValidatorThatOutlastsTheLimitIsStopped)
{
    UseFakeValidator(kNeverEnds);
    int shown = 0;
    ValidatorRunOptions options;
    options.timeoutMs = GetParam().timeoutMs;
    options.onWaitShown = [&](QProgressDialog&) { ++shown; };
    QElapsedTimer t;
    t.start();
    Run(FragmentValidatorPage(), "void main() {}\n", options);

    EXPECT_GE(t.elapsed(), GetParam().timeoutMs);
    EXPECT_LT(t.elapsed(), GetParam().timeoutMs + 8000);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(panel_.lines(), QStringList({QStringLiteral("glslValidate did not finish within %1 and was stopped; no log was read.")
                                               .arg(QString::fromLatin1(GetParam().said))}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.fs"))));
    const qint64 child = QString::fromLatin1(ReadBytes(file(QStringLiteral("child.pid")))).trimmed().toLongLong();
    EXPECT_TRUE(ProcessGone(child));
}

INSTANTIATE_TEST_SUITE_P(Limits, ValidatorRunTimeLimit,
                         ::testing::Values(TimeLimitCase{600, "600 milliseconds"}, TimeLimitCase{1000, "1 second"},
                                           TimeLimitCase{2000, "2 seconds"}),
                         [](const auto& info) { return std::to_string(info.param.timeoutMs) + "ms"; });

TEST_F(ValidatorRunTest, SlowValidatorIsWaitedForWithTheDialogAndItsLogShown)
{
    UseFakeValidator("sleep 1\nprintf 'took a while\\n' > vertex.log");
    LivenessProbe probe(window_);
    int shown = 0;
    ValidatorRunOptions options;
    options.onWaitShown = [&](QProgressDialog&) {
        ++shown;
        probe.start();
    };
    Run(VertexValidatorPage(), "x", options);
    EXPECT_EQ(shown, 1);
    EXPECT_GT(probe.ticks, 5);
    EXPECT_EQ(panel_.lines(), QStringList({kHeading, QStringLiteral("took a while")}));
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("tmp.vs"))));
}

} // namespace
