#include "IsolatedDriverCheck.h"

#include "LumenpadError.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace {

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

} // namespace

IsolatedDriverResult RunIsolatedDriverCheck(const QString& helperProgram, const DriverRequest& request, int timeoutMs,
                                            const ValidatorWaiter& wait)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw LumenpadError(QStringLiteral("cannot make a temporary directory for the driver check: %1").arg(dir.errorString()));

    const ValidatorPage page{QStringLiteral("request"), {QStringLiteral("request"), QStringLiteral("reply")},
                             QStringLiteral("reply")};
    const ValidatorResult result =
        RunValidatorProcess({helperProgram, dir.path(), &page, EncodeDriverRequest(request), timeoutMs}, wait);
    switch (result.outcome) {
    case ValidatorOutcome::NotStarted:
        return OneLine(QStringLiteral("The driver check could not start %1: %2").arg(helperProgram, result.startError));
    case ValidatorOutcome::TimedOut:
        return OneLine(QStringLiteral("The OpenGL driver did not finish the check within %1 and was stopped")
                           .arg(TimeLimitText(timeoutMs))
                       + kUnaffected);
    case ValidatorOutcome::Cancelled:
        return OneLine(QStringLiteral("The driver check was cancelled."));
    case ValidatorOutcome::Ended:
        break;
    }
    if (result.crashed)
        return OneLine(CrashLine(result.exitCode, request.addressSpace));
    if (result.exitCode == kDriverHelperOutOfMemory)
        return OneLine(OutOfMemoryLine(request.addressSpace));

    QFile file(dir.filePath(page.logFile));
    std::optional<DriverReply> reply;
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxDriverMessageBytes)
        reply = DecodeDriverReply(file.readAll());
    if (!reply)
        return OneLine(QStringLiteral("The driver check's helper %1 ended without an answer (exit code %2).")
                           .arg(helperProgram)
                           .arg(result.exitCode));
    return {reply->lines, reply->failure, true};
}
