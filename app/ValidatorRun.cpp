#include "ValidatorRun.h"

#include "OutputPanel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>

namespace {

const QString kHeading = QStringLiteral("glslValidate output :");
const QString kProgramName = QStringLiteral("glslvalidate");

// Waits for a started validator. The window stays painted: a window-modal dialog blocks its
// input (so no second command can start) while a local event loop keeps events flowing.
ValidatorOutcome WaitWithDialog(QWidget* window, QProcess& process, int remainingMs, const ProcessAnswered& answered,
                                const ValidatorRunOptions& options)
{
    QElapsedTimer sinceCalled;
    sinceCalled.start();
    // A validator that ends within the quiet wait (the usual case: glslang needs a few
    // milliseconds) is waited for without showing a dialog, so a run does not flash one.
    if (WaitForEndOrAnswer(process, std::min(options.quietWaitMs, remainingMs), answered))
        return ValidatorOutcome::Ended;
    const auto done = [&] { return process.state() == QProcess::NotRunning || (answered && answered()); };

    QProgressDialog dialog(window);
    dialog.setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setWindowTitle(QStringLiteral("Lumenpad"));
    dialog.setLabelText(options.waitText);
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    dialog.setRange(0, 0); // no progress to show: a busy indicator
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);

    QEventLoop loop;
    ValidatorOutcome outcome = ValidatorOutcome::Ended;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (answered)
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
            if (done())
                loop.quit();
        });
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&] {
        outcome = ValidatorOutcome::Cancelled;
        loop.quit();
    });
    QTimer deadline;
    // A coarse timer may fire up to 5% early; the limit is a promise to the user.
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        outcome = ValidatorOutcome::TimedOut;
        loop.quit();
    });
    deadline.start(int(std::max<qint64>(0, remainingMs - sinceCalled.elapsed())));

    dialog.show();
    if (options.onWaitShown)
        options.onWaitShown(dialog);
    if (outcome == ValidatorOutcome::Ended && !done())
        loop.exec();
    // The loop can also end because the application is quitting; the runner then stops the
    // validator as for a cancel.
    return outcome;
}

} // namespace

ValidatorWaiter WaitDialogFor(QWidget* window, const ValidatorRunOptions& options)
{
    return [window, options](QProcess& process, int remainingMs, const ProcessAnswered& answered) {
        return WaitWithDialog(window, process, remainingMs, answered, options);
    };
}

void RunValidator(QWidget* window, const QString& validatorDir, const ValidatorPage& page,
                  const QByteArray& pageText, OutputPanel& panel, const ValidatorRunOptions& options)
{
    ValidatorRun run;
    run.program = QDir(validatorDir).absoluteFilePath(kProgramName);
    run.workingDir = validatorDir;
    run.page = &page;
    run.text = pageText;
    run.timeoutMs = options.timeoutMs;
    const ValidatorResult result = RunValidatorProcess(run, WaitDialogFor(window, options));

    if (result.outcome == ValidatorOutcome::Cancelled) {
        panel.replaceLines({QStringLiteral("glslValidate was cancelled; no log was read.")});
        return;
    }
    if (result.outcome == ValidatorOutcome::TimedOut) {
        panel.replaceLines({QStringLiteral("glslValidate did not finish within %1 and was stopped; no log was read.")
                                .arg(TimeLimitText(std::max(options.timeoutMs, 0)))});
        return;
    }
    if (result.crashed) {
        panel.replaceLines({ValidatorCrashLine(result)});
        return;
    }
    QStringList lines = ReadValidatorLog(validatorDir, page);
    lines.prepend(kHeading);
    panel.replaceLines(lines);
}
