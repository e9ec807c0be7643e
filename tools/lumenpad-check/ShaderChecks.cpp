#include "ShaderChecks.h"

#include "CheckVerdict.h"
#include "GLBinding.h"
#include "GLContext.h"
#include "LumenpadError.h"
#include "OutputPanel.h"
#include "ValidatorRun.h"

#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

const QString kValidatorHeading = QStringLiteral("glslValidate output :");

void WriteTempFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw LumenpadError(FileCreateMessage(path, file.errorString()));
}

QByteArray ReadLog(const QString& path)
{
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        throw LumenpadError(FileOpenMessage(path, log.errorString()));
    const QByteArray bytes = log.readAll();
    if (log.error() != QFileDevice::NoError)
        throw LumenpadError(FileOpenMessage(path, log.errorString()));
    return bytes;
}

// A check whose output says the driver has no shader objects did not check anything.
CheckReport DriverReport(const OutputPanel& panel)
{
    const QString noShaderObjects = QString::fromLatin1(kNoShaderObjectsLine);
    if (panel.lines().contains(noShaderObjects))
        throw LumenpadError(noShaderObjects);
    return {panel.lines(), LinesReportError(panel.lines())};
}

} // namespace

CheckReport RunValidatorCheck(const QString& validatorProgram, const ValidatorPage& page, const QByteArray& fileText,
                              int timeoutMs)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw LumenpadError(QStringLiteral("cannot make a temporary directory for glslvalidate: %1").arg(dir.errorString()));
    WriteTempFile(dir.filePath(page.tempFile), fileText);

    QProcess process;
    process.setProgram(validatorProgram);
    process.setArguments(page.arguments);
    process.setWorkingDirectory(dir.path());
    // glslvalidate writes its findings to the log; what it says on its channels is trouble
    // the user should see as it comes.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted())
        throw LumenpadError(QStringLiteral("glslvalidate (%1) could not be started: %2")
                                .arg(validatorProgram, process.errorString()));
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        throw LumenpadError(QStringLiteral("glslvalidate did not finish within %1 ms and was stopped").arg(timeoutMs));
    }
    if (process.exitStatus() != QProcess::NormalExit)
        throw LumenpadError(QStringLiteral("glslvalidate ended abnormally: %1").arg(process.errorString()));

    CheckReport report;
    report.lines = SplitLogLines(DecodeLogText(ReadLog(dir.filePath(page.logFile))));
    report.lines.prepend(kValidatorHeading);
    // 1 is a shader that did not compile, 2 a shader it could not read.
    report.reportsError = process.exitCode() != 0 || LinesReportError(report.lines);
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
    OutputPanel panel;
    CheckSingleShader(dc_, rc_, kind, lines, panel);
    return DriverReport(panel);
}

CheckReport DriverSession::checkLinked(const QStringList& vertexLines, const QStringList& fragmentLines)
{
    OutputPanel panel;
    CheckLinkedShaders(dc_, rc_, vertexLines, fragmentLines, panel);
    return DriverReport(panel);
}
