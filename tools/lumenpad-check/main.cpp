// lumenpad-check: the editor's validator and driver checks from the command line, for
// scripts and build jobs. See CheckHelpText for the usage.

#include "CheckOptions.h"
#include "DriverCrashReport.h"
#include "GLBinding.h"
#include "LumenpadError.h"
#include "ShaderChecks.h"
#include "ShaderDocument.h"
#include "CheckOutput.h"
#include "CheckVerdict.h"
#include "IncludeExpander.h"
#include "TargetMatrix.h"
#include "TextFile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

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
    ShaderStage stage = ShaderStage::Vertex;

    // What the validator run writes for the page: the page's own encoding, CR LF line ends.
    QByteArray validatorText() const
    {
        TextEncoding encoding = decoded.encoding;
        return EncodeShaderText(decoded.text, encoding, LineEndStyle::CrLf);
    }
    // The page's lines, the form the driver checks take.
    QStringList lines() const { return decoded.text.split(QLatin1Char('\n')); }

    ExpandedShader expanded(const CheckOptions& options, const ShaderTarget& target, LineForm form) const
    {
        IncludeSettings settings;
        settings.includePaths = options.includePaths;
        settings.defines = options.defines;
        return ExpandIncludes(decoded.text, name, settings, form,
                              LineDirectiveNamesNextLine(decoded.text.toStdString(), target));
    }
};

ShaderFile ReadShaderFile(const QString& name)
{
    const QString path = QFileInfo(name).absoluteFilePath();
    return {name, DecodeShaderText(ReadWholeFile(path), path)};
}

// Every file read, each with its stage: as given or named, else from its #pragma, else (two
// files and neither says) vertex then fragment, the order this program always took them in.
QList<ShaderFile> ReadShaderFiles(const QList<CheckFile>& given)
{
    QList<ShaderFile> files;
    QList<std::optional<ShaderStage>> stages;
    for (const CheckFile& file : given) {
        files.append(ReadShaderFile(file.path));
        stages.append(file.stage ? file.stage : StageFromPragma(files.last().decoded.text.toStdString()));
    }
    if (files.size() == 2 && !stages[0] && !stages[1])
        stages = {ShaderStage::Vertex, ShaderStage::Fragment};
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!stages[i])
            throw LumenpadError(QStringLiteral("cannot tell the stage of %1: give --stage, name it .vert, .tesc, .tese, "
                                               ".geom, .frag or .comp, or add #pragma shader_stage(...)")
                                    .arg(files[i].name));
        files[i].stage = *stages[i];
    }
    return files;
}

// The validator on each file, up to jobs at once; the reports in the files' order. A run that
// could not happen throws, after the reports before it were given.
QList<CheckReport> RunValidatorChecks(const QString& validator, const QList<ShaderFile>& files,
                                      const CheckOptions& options, const ShaderTarget& target, int timeoutMs, int jobs)
{
    struct Job {
        CheckReport report;
        std::optional<QString> trouble;
    };
    std::vector<Job> done(size_t(files.size()));
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i = next++; i < files.size(); i = next++) {
            try {
                const ExpandedShader expanded = files[i].expanded(options, target, LineForm::Named);
                if (!expanded.error.isEmpty()) {
                    done[size_t(i)].report = {{QStringLiteral("glslValidate output :"), expanded.error}, true};
                    continue;
                }
                TextEncoding encoding = files[i].decoded.encoding;
                const QByteArray text = expanded.changed
                                            ? EncodeShaderText(expanded.text, encoding, LineEndStyle::CrLf)
                                            : files[i].validatorText();
                done[size_t(i)].report = RunValidatorCheck(validator, ValidatorPageFor(files[i].stage, target), text,
                                                           timeoutMs);
            } catch (const LumenpadError& e) {
                done[size_t(i)].trouble = e.message();
            } catch (const std::exception& e) {
                done[size_t(i)].trouble = QString::fromLocal8Bit(e.what());
            }
        }
    };
    std::vector<std::thread> workers;
    for (int w = 1; w < std::min<qsizetype>(jobs, files.size()); ++w)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();

    QList<CheckReport> reports;
    for (Job& job : done) {
        if (job.trouble)
            throw LumenpadError(*job.trouble);
        reports.append(std::move(job.report));
    }
    return reports;
}


// The driver's view of a file for a target: includes expanded, each line mapped to its origin.
// An include that fails gives its message as the check's report.
std::optional<CheckReport> DriverSource(const ShaderFile& file, const CheckOptions& options, const ShaderTarget& target,
                                        StageSource& source)
{
    const ExpandedShader expanded = file.expanded(options, target, LineForm::Mapped);
    if (!expanded.error.isEmpty())
        return CheckReport{{expanded.error}, true};
    source = StageSource{file.stage, expanded.text.split(QLatin1Char('\n')), expanded.changed ? expanded : ExpandedShader{}};
    return std::nullopt;
}

QString GlslangVersion(const QString& validator)
{
    QProcess process;
    process.start(validator, {QStringLiteral("--version")});
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

int RunChecks(const CheckOptions& options)
{
    const QList<ShaderFile> files = ReadShaderFiles(options.files);

    const QString validator = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("glslvalidate"));
    if (options.validator && !QFileInfo(validator).isExecutable())
        throw LumenpadError(QStringLiteral("glslvalidate is not in %1, next to lumenpad-check")
                                .arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
    std::unique_ptr<DriverSession> driver;
    if (options.driver || options.link) {
        NoteDriverCheck(QStringLiteral("that opens the headless context"));
        driver = std::make_unique<DriverSession>();
    }

    // Linked in the pipeline's order, whatever the order on the command line.
    QList<ShaderFile> pipeline = files;
    std::stable_sort(pipeline.begin(), pipeline.end(),
                     [](const ShaderFile& a, const ShaderFile& b) { return a.stage < b.stage; });
    const bool classicPair = pipeline.size() == 2 && pipeline[0].stage == ShaderStage::Vertex
                             && pipeline[1].stage == ShaderStage::Fragment;

    const int timeoutMs = options.timeoutSeconds * 1000;
    QList<CheckRun> runs;
    QList<TargetRow> rows;
    for (const ShaderTarget& target : options.targets) {
        const bool automatic = target.api == TargetApi::Auto;
        const QString tag = automatic ? QString() : QStringLiteral(" [%1]").arg(QString::fromStdString(TargetName(target)));
        TargetRow row;
        row.target = target;
        const auto record = [&](CheckRun run, Verdict& verdict) {
            run.target = target;
            if (run.report.ran) {
                const Verdict now = run.report.reportsError ? Verdict::Failed : Verdict::Passed;
                if (verdict != Verdict::Failed)
                    verdict = now;
                if (row.firstError.isEmpty() && run.report.reportsError)
                    row.firstError = FirstErrorLine(run.report.lines);
            }
            runs.append(std::move(run));
        };
        if (options.validator) {
            const QList<CheckReport> reports = RunValidatorChecks(validator, files, options, target, timeoutMs, options.jobs);
            for (qsizetype i = 0; i < files.size(); ++i) {
                record({QStringLiteral("glslValidate") + tag + QStringLiteral(": ") + files[i].name,
                        QStringLiteral("validator"), target, {}, files[i].name, reports[i]},
                       row.validator);
            }
        }
        if (options.driver) {
            for (const ShaderFile& file : files) {
                StageSource source;
                CheckReport report;
                if (const std::optional<CheckReport> failed = DriverSource(file, options, target, source)) {
                    report = *failed;
                } else {
                    const bool classic = automatic && source.expansion.origins.isEmpty()
                                         && (file.stage == ShaderStage::Vertex || file.stage == ShaderStage::Fragment);
                    const ShaderKind kind = file.stage == ShaderStage::Vertex ? ShaderKind::Vertex : ShaderKind::Fragment;
                    NoteDriverCheck(QStringLiteral("driver") + tag + QStringLiteral(": ") + file.name);
                    report = classic ? driver->checkSingle(kind, file.lines()) : driver->checkTarget(target, {source}, false);
                }
                record({QStringLiteral("driver") + tag + QStringLiteral(": ") + file.name, QStringLiteral("driver"),
                        target, {}, file.name, report},
                       row.driver);
            }
        }
        if (options.link && pipeline.size() > 1) {
            QStringList names;
            QList<StageSource> sources;
            std::optional<CheckReport> failed;
            bool expandedAny = false;
            for (const ShaderFile& file : pipeline) {
                names.append(file.name);
                StageSource source;
                if (!failed)
                    failed = DriverSource(file, options, target, source);
                expandedAny = expandedAny || !source.expansion.origins.isEmpty();
                sources.append(source);
            }
            CheckReport report;
            NoteDriverCheck(QStringLiteral("driver link") + tag + QStringLiteral(": ") + names.join(QStringLiteral(" + ")));
            if (failed)
                report = *failed;
            else if (automatic && classicPair && !expandedAny)
                report = driver->checkLinked(pipeline[0].lines(), pipeline[1].lines());
            else
                report = driver->checkTarget(target, sources, true);
            record({QStringLiteral("driver link") + tag + QStringLiteral(": ") + names.join(QStringLiteral(" + ")),
                    QStringLiteral("link"), target, names, names.first(), report},
                   row.driver);
        }
        rows.append(row);
    }

    const QList<Diagnostic> diagnostics = CollectDiagnostics(runs);
    const RunSummary summary = Summarise(diagnostics, int(files.size()));
    switch (options.format) {
    case OutputFormat::Human: {
        QString text = FormatHuman(runs, diagnostics, summary);
        if (rows.size() > 1) {
            text.chop(SummaryLine(summary).size() + 1);
            text += QStringLiteral("== targets\n") + FormatMatrix(rows).join(QLatin1Char('\n')) + QLatin1Char('\n')
                  + SummaryLine(summary) + QLatin1Char('\n');
        }
        Print(stdout, text);
        break;
    }
    case OutputFormat::Gcc:
        Print(stdout, FormatGcc(diagnostics));
        break;
    case OutputFormat::Json:
    case OutputFormat::Sarif: {
        ToolVersions versions;
        if (options.validator)
            versions.glslang = GlslangVersion(validator);
        for (const CheckRun& run : runs)
            if (!run.report.lines.isEmpty() && ReadDriverHeader(run.report.lines.first(), versions))
                break;
        if (options.format == OutputFormat::Sarif) {
            Print(stdout, QString::fromUtf8(FormatSarif(diagnostics, versions, QDir::currentPath())));
        } else {
            QList<FileEntry> entries;
            for (const ShaderFile& file : files)
                entries.append({file.name, QString::fromLatin1(StageName(file.stage))});
            QStringList targets;
            for (const ShaderTarget& target : options.targets)
                targets.append(QString::fromStdString(TargetName(target)));
            QStringList checks;
            if (options.validator)
                checks << QStringLiteral("validator");
            if (options.driver)
                checks << QStringLiteral("driver");
            if (options.link)
                checks << QStringLiteral("link");
            Print(stdout, QString::fromUtf8(FormatJson(entries, targets, checks, diagnostics, summary, versions)));
        }
        break;
    }
    }
    std::fflush(stdout);
    bool errorReported = summary.errors > 0 || (options.werror && summary.warnings > 0);
    for (const CheckRun& run : runs)
        errorReported = errorReported || run.report.reportsError;
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
    InstallDriverCrashReport(kExitTrouble);

    try {
        return RunChecks(*parsed.options);
    } catch (const LumenpadError& e) {
        PrintTrouble(ErrorBoxText(e.message()));
        return kExitTrouble;
    }
}
