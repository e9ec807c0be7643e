// lumenpad-check: the editor's validator and driver checks from the command line, for
// scripts and build jobs. See CheckHelpText for the usage.

#include "CheckOptions.h"
#include "GLBinding.h"
#include "LumenpadError.h"
#include "ShaderChecks.h"
#include "ShaderDocument.h"
#include "TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

constexpr int kExitClean = 0;
constexpr int kExitErrorReported = 1;
constexpr int kExitTrouble = 2;

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void PrintTrouble(const QString& message)
{
    Print(stderr, QStringLiteral("lumenpad-check: ") + message + QLatin1Char('\n'));
}

// A shader file as the editor holds it once opened.
struct ShaderFile {
    QString name; // as given on the command line
    DecodedShaderText decoded;

    // What the validator run writes for the page: the page's own encoding, CR LF line ends.
    QByteArray validatorText() const
    {
        TextEncoding encoding = decoded.encoding;
        return EncodeShaderText(decoded.text, encoding, LineEndStyle::CrLf);
    }
    // The page's lines, the form the driver checks take.
    QStringList lines() const { return decoded.text.split(QLatin1Char('\n')); }
};

ShaderFile ReadShaderFile(const QString& name)
{
    const QString path = QFileInfo(name).absoluteFilePath();
    return {name, DecodeShaderText(ReadWholeFile(path), path)};
}

// The panel's lines as it shows them: without CR characters.
void PrintReport(const QString& title, const CheckReport& report)
{
    QString text = QStringLiteral("== ") + title + QLatin1Char('\n');
    for (const QString& line : report.lines)
        text += QString(line).remove(QLatin1Char('\r')) + QLatin1Char('\n');
    Print(stdout, text);
    std::fflush(stdout);
}

int RunChecks(const CheckOptions& options)
{
    const ShaderFile vertex = ReadShaderFile(options.vertexPath);
    const ShaderFile fragment = ReadShaderFile(options.fragmentPath);

    const QString validator = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("glslvalidate"));
    if (options.validator && !QFileInfo(validator).isExecutable())
        throw LumenpadError(QStringLiteral("glslvalidate is not in %1, next to lumenpad-check")
                                .arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
    std::unique_ptr<DriverSession> driver;
    if (options.driver || options.link)
        driver = std::make_unique<DriverSession>();

    const int timeoutMs = options.timeoutSeconds * 1000;
    bool errorReported = false;
    const auto report = [&](const QString& title, const CheckReport& result) {
        PrintReport(title, result);
        errorReported = errorReported || result.reportsError;
    };
    if (options.validator) {
        report(QStringLiteral("glslValidate: ") + vertex.name,
               RunValidatorCheck(validator, VertexValidatorPage(), vertex.validatorText(), timeoutMs));
        report(QStringLiteral("glslValidate: ") + fragment.name,
               RunValidatorCheck(validator, FragmentValidatorPage(), fragment.validatorText(), timeoutMs));
    }
    if (options.driver) {
        report(QStringLiteral("driver: ") + vertex.name, driver->checkSingle(ShaderKind::Vertex, vertex.lines()));
        report(QStringLiteral("driver: ") + fragment.name, driver->checkSingle(ShaderKind::Fragment, fragment.lines()));
    }
    if (options.link) {
        report(QStringLiteral("driver link: ") + vertex.name + QStringLiteral(" + ") + fragment.name,
               driver->checkLinked(vertex.lines(), fragment.lines()));
    }
    return errorReported ? kExitErrorReported : kExitClean;
}

} // namespace

int main(int argc, char** argv)
{
    // As the editor does before anything touches the driver; a cached compile would come
    // back with an empty log and hide its warnings.
    SetupFloatingPoint();
    DisableShaderDiskCaches();

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const ParsedArguments parsed = ParseCheckArguments(arguments);
    if (parsed.help) {
        Print(stdout, CheckHelpText());
        return kExitClean;
    }
    if (!parsed.options) {
        PrintTrouble(parsed.error);
        Print(stderr, QStringLiteral("Try 'lumenpad-check --help'.\n"));
        return kExitTrouble;
    }

    // The user's arguments stay away from Qt, which would take some of them as its own.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumenpad"));

    try {
        return RunChecks(*parsed.options);
    } catch (const LumenpadError& e) {
        PrintTrouble(ErrorBoxText(e.message()));
        return kExitTrouble;
    }
}
