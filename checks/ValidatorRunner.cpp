#include "ValidatorRunner.h"

#include "LumenpadError.h"
#include "TextFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// After SIGKILL the process is gone almost at once; this only bounds the reaping.
constexpr int kReapWaitMs = 5000;

QString PathIn(const QString& dir, const QString& name)
{
    return dir + QLatin1Char('/') + name;
}

// The validator directory may be shared with other users. A name planted there (a link to
// one of the user's files, a FIFO, someone else's file) must not take the write elsewhere, nor
// pass off someone else's log as the validator's: the user's own leftovers are removed, and
// anything else under the name stops the run.
void RemoveOwnLeftover(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) {
        if (errno == ENOENT)
            return;
        throw LumenpadError(FileCreateMessage(path, SystemReason(errno)));
    }
    if (info.st_uid != ::geteuid())
        throw LumenpadError(FileCreateMessage(path, SystemReason(kNotOwnFile)));
    if (S_ISDIR(info.st_mode))
        throw LumenpadError(FileCreateMessage(path, SystemReason(EISDIR)));
    if (::unlink(name.constData()) != 0 && errno != ENOENT)
        throw LumenpadError(FileCreateMessage(path, SystemReason(errno)));
}

void WriteTempFile(const QString& path, const QByteArray& text)
{
    RemoveOwnLeftover(path);
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw LumenpadError(FileCreateMessage(path, SystemReason(errno)));
    const char* p = text.constData();
    qsizetype left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(name.constData());
            throw LumenpadError(FileCreateMessage(path, SystemReason(err)));
        }
        p += n;
        left -= n;
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(name.constData());
        throw LumenpadError(FileCreateMessage(path, SystemReason(err)));
    }
}

// Deletes the temporary file on every way out.
struct TempFileRemover {
    QString path;
    ~TempFileRemover() { ::unlink(QFile::encodeName(path).constData()); }
};

} // namespace

const ValidatorPage& VertexValidatorPage()
{
    static const ValidatorPage page{QStringLiteral("tmp.vs"), {QStringLiteral("/v"), QStringLiteral("tmp.vs")},
                                    QStringLiteral("vertex.log")};
    return page;
}

const ValidatorPage& FragmentValidatorPage()
{
    static const ValidatorPage page{QStringLiteral("tmp.fs"), {QStringLiteral("/f"), QStringLiteral("tmp.fs")},
                                    QStringLiteral("fragment.log")};
    return page;
}

ValidatorPage ValidatorPageFor(ShaderStage stage, const ShaderTarget& target)
{
    ValidatorPage page = stage == ShaderStage::Vertex     ? VertexValidatorPage()
                         : stage == ShaderStage::Fragment ? FragmentValidatorPage()
                                                          : ValidatorPage{};
    if (page.tempFile.isEmpty()) {
        const QString name = QString::fromLatin1(StageName(stage));
        page.tempFile = QStringLiteral("tmp.") + QString::fromLatin1(StageExtension(stage));
        page.arguments = {QStringLiteral("--stage"), name, page.tempFile};
        page.logFile = name + QStringLiteral(".log");
    }
    if (target.api != TargetApi::Auto)
        page.arguments = QStringList{QStringLiteral("--target"), QString::fromStdString(TargetName(target))} + page.arguments;
    return page;
}

bool WaitForEndOrAnswer(QProcess& process, int ms, const ProcessAnswered& answered)
{
    if (!answered)
        return process.waitForFinished(std::max(ms, 0)) || process.state() == QProcess::NotRunning;
    QElapsedTimer since;
    since.start();
    for (;;) {
        if (answered() || process.state() == QProcess::NotRunning)
            return true;
        const int left = int(std::max<qint64>(0, ms - since.elapsed()));
        if (left == 0)
            return false;
        // False at once on a channel the process closed: then only its end can come.
        if (!process.waitForReadyRead(left) && process.state() != QProcess::NotRunning)
            process.waitForFinished(int(std::max<qint64>(0, ms - since.elapsed())));
    }
}

ValidatorOutcome WaitForProcess(const ValidatorWaiter& wait, QProcess& process, int remainingMs,
                                const ProcessAnswered& answered)
{
    ValidatorOutcome outcome = ValidatorOutcome::TimedOut;
    if (wait)
        outcome = wait(process, remainingMs, answered);
    else if (WaitForEndOrAnswer(process, remainingMs, answered))
        outcome = ValidatorOutcome::Ended;
    const bool done = process.state() == QProcess::NotRunning || (answered && answered());
    if (outcome == ValidatorOutcome::Ended && !done)
        outcome = ValidatorOutcome::Cancelled; // a waiter that returned early
    return outcome;
}

void KillProcessGroup(qint64 pid)
{
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
}

QString TimeLimitText(int ms)
{
    if (ms % 1000 == 0)
        return ms == 1000 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 milliseconds").arg(ms);
}

ValidatorResult RunValidatorProcess(const ValidatorRun& run, const ValidatorWaiter& wait)
{
    // No directory is no directory: never the root (which "" + "/tmp.vs" would name) nor
    // the current one.
    if (run.workingDir.isEmpty())
        throw LumenpadError(FileCreateMessage(run.page->tempFile, SystemReason(ENOENT)));
    // Absolute, so a relative directory cannot be taken relative to itself once the child
    // has changed into it.
    const QString dir = QDir(run.workingDir).absolutePath();
    const QString tempPath = PathIn(run.workingDir, run.page->tempFile);
    WriteTempFile(tempPath, run.text);
    const TempFileRemover remover{tempPath};
    // The log of an earlier run must not pass for this run's.
    RemoveOwnLeftover(PathIn(run.workingDir, run.page->logFile));

    QProcess process;
    process.setProgram(run.program);
    process.setArguments(run.page->arguments);
    process.setWorkingDirectory(dir);
    // The validator writes its findings to the log; what it says on its channels is trouble
    // the user should see as it comes.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setpgid(0, 0); });

    ValidatorResult result;
    QElapsedTimer sinceStart;
    sinceStart.start();
    process.start();
    if (!process.waitForStarted()) {
        result.startError = process.errorString();
        return result;
    }
    const qint64 pid = process.processId();
    const int limitMs = std::max(run.timeoutMs, 0);
    const int remaining = int(std::max<qint64>(0, limitMs - sinceStart.elapsed()));
    result.outcome = WaitForProcess(wait, process, remaining);
    KillProcessGroup(pid);
    if (result.outcome != ValidatorOutcome::Ended) {
        process.kill();
        process.waitForFinished(kReapWaitMs);
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    // For a crash Qt gives the signal's number as the exit code.
    result.exitCode = process.exitCode();
    return result;
}

QStringList ReadValidatorLog(const QString& workingDir, const ValidatorPage& page)
{
    const QString path = PathIn(workingDir, page.logFile);
    ReadOptions options;
    options.maxBytes = kMaxValidatorLogBytes;
    options.cutAtLimit = true;
    options.followLinks = false;
    options.ownFileOnly = true;
    QByteArray bytes;
    bool cut = false;
    if (const int err = ReadFileBytes(path, bytes, options, &cut))
        throw LumenpadError(FileOpenMessage(path, SystemReason(err)));
    QStringList lines = SplitLines(DecodeUtf8OrLatin1(bytes));
    if (cut)
        lines.append(QStringLiteral("(the log is longer than %1 MB; the rest was not read)")
                         .arg(kMaxValidatorLogBytes >> 20));
    return lines;
}

QString ValidatorCrashLine(const ValidatorResult& result)
{
    return QStringLiteral("glslValidate ended abnormally (killed by signal %1); its log, if any, was not read.")
        .arg(result.exitCode);
}
