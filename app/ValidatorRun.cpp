#include "ValidatorRun.h"

#include "LumenpadError.h"
#include "OutputPanel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

const QString kHeading = QStringLiteral("glslValidate output :");
const QString kProgramName = QStringLiteral("glslvalidate");

// A validator that ends within this time (the usual case: glslang needs a few
// milliseconds) is waited for without showing a dialog, so a run does not flash one.
constexpr int kQuietWaitMs = 200;
// After SIGKILL the process is gone almost at once; this only bounds the reaping.
constexpr int kReapWaitMs = 5000;

enum class WaitOutcome { Ended, Cancelled, TimedOut };

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

QString TimeLimitText(int ms)
{
    if (ms % 1000 == 0)
        return ms == 1000 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 milliseconds").arg(ms);
}

// Kills the validator together with whatever it started (it leads its own process group),
// so a validator script cannot leave a compiler running behind it.
void StopValidator(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
    process.kill();
    process.waitForFinished(kReapWaitMs);
}

// Waits for a started validator. The window stays painted: a window-modal dialog blocks its
// input (so no second command can start) while a local event loop keeps events flowing.
WaitOutcome WaitForValidator(QWidget* window, QProcess& process, const QElapsedTimer& sinceStart,
                             const ValidatorRunOptions& options)
{
    const int limitMs = std::max(options.timeoutMs, 0);
    if (process.waitForFinished(std::min(kQuietWaitMs, limitMs)) || process.state() == QProcess::NotRunning)
        return WaitOutcome::Ended;

    QProgressDialog dialog(window);
    dialog.setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setWindowTitle(QStringLiteral("Lumenpad"));
    dialog.setLabelText(QStringLiteral("Waiting for glslValidate to finish..."));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    dialog.setRange(0, 0); // no progress to show: a busy indicator
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);

    QEventLoop loop;
    WaitOutcome outcome = WaitOutcome::Ended;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&] {
        outcome = WaitOutcome::Cancelled;
        loop.quit();
    });
    QTimer deadline;
    // A coarse timer may fire up to 5% early; the limit is a promise to the user.
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        outcome = WaitOutcome::TimedOut;
        loop.quit();
    });
    deadline.start(int(std::max<qint64>(0, limitMs - sinceStart.elapsed())));

    dialog.show();
    if (options.onWaitShown)
        options.onWaitShown(dialog);
    if (outcome == WaitOutcome::Ended && process.state() != QProcess::NotRunning)
        loop.exec();
    // The loop can also end because the application is quitting; the validator must not
    // outlive the run then either.
    if (outcome == WaitOutcome::Ended && process.state() != QProcess::NotRunning)
        outcome = WaitOutcome::Cancelled;
    return outcome;
}

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

QString DecodeLogText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QStringList SplitLogLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

void RunValidator(QWidget* window, const QString& validatorDir, const ValidatorPage& page,
                  const QByteArray& pageText, OutputPanel& panel, const ValidatorRunOptions& options)
{
    const QString tempPath = PathIn(validatorDir, page.tempFile);
    WriteTempFile(tempPath, pageText);

    WaitOutcome outcome = WaitOutcome::Ended;
    {
        // Absolute, so a relative directory cannot be taken relative to itself once the
        // child has changed into it.
        const QString absoluteDir = QDir(validatorDir).absolutePath();
        QProcess process;
        process.setProgram(PathIn(absoluteDir, kProgramName));
        process.setArguments(page.arguments);
        process.setWorkingDirectory(absoluteDir);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setChildProcessModifier([] { ::setpgid(0, 0); });

        QElapsedTimer sinceStart;
        sinceStart.start();
        process.start();
        // A validator that cannot be started says nothing of its own: the log that is (or
        // is not) there afterwards tells the user.
        if (process.waitForStarted()) {
            outcome = WaitForValidator(window, process, sinceStart, options);
            if (outcome != WaitOutcome::Ended)
                StopValidator(process);
        }
    }

    QFile::remove(tempPath);

    if (outcome == WaitOutcome::Cancelled) {
        panel.replaceLines({QStringLiteral("glslValidate was cancelled; no log was read.")});
        return;
    }
    if (outcome == WaitOutcome::TimedOut) {
        panel.replaceLines({QStringLiteral("glslValidate did not finish within %1 and was stopped; no log was read.")
                                .arg(TimeLimitText(std::max(options.timeoutMs, 0)))});
        return;
    }

    const QString logPath = PathIn(validatorDir, page.logFile);
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        throw LumenpadError(FileOpenMessage(logPath, log.errorString()));
    const QByteArray bytes = log.readAll();
    if (log.error() != QFileDevice::NoError)
        throw LumenpadError(FileOpenMessage(logPath, log.errorString()));

    panel.replaceLines(SplitLogLines(DecodeLogText(bytes)));
    panel.insertLine(0, kHeading);
}
