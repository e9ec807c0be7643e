#include "ShaderChecks.h"

#include "CheckVerdict.h"
#include "GLBinding.h"
#include "GLContext.h"
#include "LumenpadError.h"

#include <QTemporaryDir>

namespace {

const QString kValidatorHeading = QStringLiteral("glslValidate output :");

// A check whose output says the driver has no shader objects did not check anything.
CheckReport DriverReport(const DriverLog& log)
{
    if (log.outcome == DriverOutcome::NoShaderObjects)
        throw LumenpadError(QString::fromLatin1(kNoShaderObjectsLine));
    return {log.lines, LinesReportError(log.lines)};
}

} // namespace

CheckReport RunValidatorCheck(const QString& validatorProgram, const ValidatorPage& page, const QByteArray& fileText,
                              int timeoutMs, const ValidatorWaiter& wait)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw LumenpadError(QStringLiteral("cannot make a temporary directory for glslvalidate: %1").arg(dir.errorString()));

    const ValidatorResult result = RunValidatorProcess({validatorProgram, dir.path(), &page, fileText, timeoutMs}, wait);
    switch (result.outcome) {
    case ValidatorOutcome::NotStarted:
        throw LumenpadError(QStringLiteral("glslvalidate (%1) could not be started: %2")
                                .arg(validatorProgram, result.startError));
    case ValidatorOutcome::TimedOut:
        throw LumenpadError(QStringLiteral("glslvalidate did not finish within %1 and was stopped")
                                .arg(TimeLimitText(timeoutMs)));
    case ValidatorOutcome::Cancelled:
        throw LumenpadError(QStringLiteral("glslValidate was cancelled"));
    case ValidatorOutcome::Ended:
        break;
    }
    if (result.crashed)
        throw LumenpadError(ValidatorCrashLine(result));

    CheckReport report;
    report.lines = ReadValidatorLog(dir.path(), page);
    report.lines.prepend(kValidatorHeading);
    // 1 is a shader that did not compile, 2 a shader it could not read.
    report.reportsError = result.exitCode != 0 || LinesReportError(report.lines);
    return report;
}

DriverSession::DriverSession()
{
    LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1");
    dc_ = OpenDeviceContext(WindowSystem::Headless, nullptr);
    if (!dc_)
        throw LumenpadError(QString::fromLatin1(kNoHeadlessDisplayMessage));
    try {
        rc_ = CreateGLContext(dc_, ContextOptions{ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    } catch (...) {
        ReleaseDeviceContext(dc_);
        throw;
    }
}

DriverSession::~DriverSession()
{
    DeleteGLContext(rc_);
    ReleaseDeviceContext(dc_);
}

CheckReport DriverSession::checkSingle(ShaderKind kind, const QStringList& lines)
{
    return DriverReport(CheckSingleShader(dc_, rc_, kind, lines));
}

CheckReport DriverSession::checkTarget(const ShaderTarget& target, const QList<StageSource>& sources, bool link)
{
    const DriverLog log = CheckForTarget(dc_, target, sources, link);
    if (log.outcome == DriverOutcome::NoShaderObjects)
        throw LumenpadError(QString::fromLatin1(kNoShaderObjectsLine));
    return {log.lines, log.checked() && LinesReportError(log.lines), log.checked()};
}

CheckReport DriverSession::checkLinked(const QStringList& vertexLines, const QStringList& fragmentLines)
{
    return DriverReport(CheckLinkedShaders(dc_, rc_, vertexLines, fragmentLines));
}
