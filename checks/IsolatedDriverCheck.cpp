#include "IsolatedDriverCheck.h"

#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// How long a helper whose input was closed may take to end on its own before it is killed.
constexpr int kQuitWaitMs = 200;
// After SIGKILL the process is gone almost at once; this only bounds the reaping.
constexpr int kReapWaitMs = 5000;

const QString kUnaffected = QStringLiteral("; the check ran in a process of its own, so the editor and its pages are unaffected.");

QString MemoryText(quint64 limit)
{
    return limit == 0 ? QStringLiteral("memory") : QStringLiteral("the %1 MiB of memory a check may use").arg(limit >> 20);
}

// A compiler that overflows its stack and one whose allocation failed and went on with a
// null pointer look the same from outside.
QString CrashLine(int signal, quint64 limit)
{
    const char* name = sigdescr_np(signal);
    return QStringLiteral("The OpenGL driver crashed while checking the shader (signal %1%2): it overflowed its stack "
                          "or ran out of %3")
               .arg(signal)
               .arg(name ? QStringLiteral(", ") + QString::fromLocal8Bit(name) : QString(), MemoryText(limit))
         + kUnaffected;
}

QString OutOfMemoryLine(quint64 limit)
{
    return QStringLiteral("The OpenGL driver ran out of %1 on this shader").arg(MemoryText(limit)) + kUnaffected;
}

IsolatedDriverResult OneLine(const QString& line)
{
    return {{line}, {}, false};
}

QString UnreadableAnswerLine(const QString& program)
{
    return QStringLiteral("The driver check's helper %1 gave an answer that could not be read; it was stopped "
                          "and the next check starts a fresh one.")
        .arg(program);
}

QString NoAnswerLine(const QString& program, int exitCode)
{
    return QStringLiteral("The driver check's helper %1 ended without an answer (exit code %2).").arg(program).arg(exitCode);
}

} // namespace

IsolatedDriver::IsolatedDriver(QString helperProgram) : program_(std::move(helperProgram)) {}

IsolatedDriver::~IsolatedDriver()
{
    stop();
}

qint64 IsolatedDriver::processId() const
{
    return process_ && process_->state() != QProcess::NotRunning ? process_->processId() : 0;
}

bool IsolatedDriver::start(quint64 addressSpace)
{
    if (process_ && process_->state() == QProcess::Running && addressSpace_ == addressSpace)
        return true;
    stop();
    process_ = std::make_unique<QProcess>();
    process_->setProgram(program_);
    process_->setArguments({QStringLiteral("--serve"), QString::number(addressSpace)});
    // What the driver says on its error channel is trouble the user should see as it comes.
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Its own process group, so that a kill takes all it started; and it dies with the editor,
    // whose end would otherwise leave a helper that is stuck in a compile behind.
    process_->setChildProcessModifier([parent = ::getpid()] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(2);
    });
    addressSpace_ = addressSpace;
    process_->start();
    if (process_->waitForStarted())
        return true;
    startError_ = process_->errorString();
    process_.reset();
    return false;
}

void IsolatedDriver::kill()
{
    if (!process_)
        return;
    if (process_->state() != QProcess::NotRunning) {
        KillProcessGroup(process_->processId());
        process_->kill();
        process_->waitForFinished(kReapWaitMs);
    }
    process_.reset();
}

void IsolatedDriver::stop()
{
    if (process_ && process_->state() == QProcess::Running) {
        process_->closeWriteChannel();
        process_->waitForFinished(kQuitWaitMs);
    }
    kill();
}

IsolatedDriverResult IsolatedDriver::check(const DriverRequest& request, int timeoutMs, const ValidatorWaiter& wait)
{
    QElapsedTimer sinceCalled;
    sinceCalled.start();
    if (!start(request.addressSpace))
        return OneLine(QStringLiteral("The driver check could not start %1: %2").arg(program_, startError_));
    QProcess& process = *process_;
    process.readAllStandardOutput(); // nothing from before this request is its answer
    process.write(FrameDriverMessage(EncodeDriverRequest(request)));

    QByteArray received;
    QByteArray message;
    DriverFrame frame = DriverFrame::Incomplete;
    const ProcessAnswered answered = [&] {
        if (frame == DriverFrame::Incomplete) {
            received += process.readAllStandardOutput();
            frame = TakeDriverFrame(received, message);
        }
        return frame != DriverFrame::Incomplete;
    };
    const int remaining = int(std::max<qint64>(0, std::max(timeoutMs, 0) - sinceCalled.elapsed()));
    const ValidatorOutcome outcome = WaitForProcess(wait, process, remaining, answered);
    answered();
    switch (outcome) {
    case ValidatorOutcome::NotStarted:
    case ValidatorOutcome::Ended:
        break;
    case ValidatorOutcome::TimedOut:
        kill();
        return OneLine(QStringLiteral("The OpenGL driver did not finish the check within %1 and was stopped")
                           .arg(TimeLimitText(timeoutMs))
                       + kUnaffected);
    case ValidatorOutcome::Cancelled:
        kill();
        return OneLine(QStringLiteral("The driver check was cancelled."));
    }

    const std::optional<DriverReply> reply =
        frame == DriverFrame::Complete ? DecodeDriverReply(message) : std::optional<DriverReply>();
    if (reply) {
        if (process.state() == QProcess::NotRunning)
            kill();
        return {reply->lines, reply->failure, true, reply->outcome};
    }
    if (process.state() != QProcess::NotRunning) {
        // It answered with what no helper writes; it is not to be trusted with the next check.
        kill();
        return OneLine(UnreadableAnswerLine(program_));
    }
    const bool crashed = process.exitStatus() != QProcess::NormalExit;
    // For a crash Qt gives the signal's number as the exit code.
    const int exitCode = process.exitCode();
    kill();
    if (crashed)
        return OneLine(CrashLine(exitCode, request.addressSpace));
    if (exitCode == kDriverHelperOutOfMemory)
        return OneLine(OutOfMemoryLine(request.addressSpace));
    return OneLine(NoAnswerLine(program_, exitCode));
}
