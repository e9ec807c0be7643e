#include "ValidatorRunner.h"

#include "LumenpadError.h"
#include "TextFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>

#include <algorithm>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

// After SIGKILL the process is gone almost at once; this only bounds the reaping.
constexpr int kReapWaitMs = 5000;

QString PathIn(const QString& dir, const QString& name)
{
    return dir + QLatin1Char('/') + name;
}

void WriteTempFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw LumenpadError(FileCreateMessage(path, file.errorString()));
    if (file.write(text) != text.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw LumenpadError(FileCreateMessage(path, reason));
    }
    if (!file.commit())
        throw LumenpadError(FileCreateMessage(path, file.errorString()));
}

ValidatorOutcome WaitBlocking(QProcess& process, int remainingMs)
{
    return process.waitForFinished(std::max(remainingMs, 0)) || process.state() == QProcess::NotRunning
               ? ValidatorOutcome::Ended
               : ValidatorOutcome::TimedOut;
}

// The validator leads its own process group; whatever it started goes with it.
void KillProcessGroup(qint64 pid)
{
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
}

// Deletes the temporary file on every way out.
struct TempFileRemover {
    QString path;
    ~TempFileRemover() { QFile::remove(path); }
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

QString TimeLimitText(int ms)
{
    if (ms % 1000 == 0)
        return ms == 1000 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 milliseconds").arg(ms);
}

ValidatorResult RunValidatorProcess(const ValidatorRun& run, const ValidatorWaiter& wait)
{
    // Absolute, so a relative directory cannot be taken relative to itself once the child
    // has changed into it.
    const QString dir = QDir(run.workingDir).absolutePath();
    const QString tempPath = PathIn(run.workingDir, run.page->tempFile);
    WriteTempFile(tempPath, run.text);
    const TempFileRemover remover{tempPath};

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
    result.outcome = wait ? wait(process, remaining) : WaitBlocking(process, remaining);
    if (result.outcome == ValidatorOutcome::Ended && process.state() != QProcess::NotRunning)
        result.outcome = ValidatorOutcome::Cancelled; // a waiter that returned early
    KillProcessGroup(pid);
    if (result.outcome != ValidatorOutcome::Ended) {
        process.kill();
        process.waitForFinished(kReapWaitMs);
        return result;
    }
    result.exitCode = process.exitCode();
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    return result;
}

QStringList ReadValidatorLog(const QString& workingDir, const ValidatorPage& page)
{
    return SplitLines(DecodeUtf8OrLatin1(ReadWholeFile(PathIn(workingDir, page.logFile))));
}
