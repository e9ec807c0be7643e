#include "CheckOptions.h"

#include <QRegularExpression>

namespace {

// The value after an option: "--timeout 5" or "-j4".
std::optional<QString> TakeValue(const QStringList& arguments, qsizetype& i, const QString& attached)
{
    if (!attached.isEmpty())
        return attached;
    if (i + 1 < arguments.size())
        return arguments[++i];
    return std::nullopt;
}

std::optional<int> WholeNumberIn(const std::optional<QString>& text, int low, int high)
{
    bool ok = false;
    const int value = text ? text->toInt(&ok) : 0;
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

ParsedArguments ParseCheckArguments(const QStringList& arguments)
{
    ParsedArguments parsed;
    // A request for help is answered whatever else the line holds.
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.help = true;
            return parsed;
        }
    }

    CheckOptions options;
    options.targets.clear();
    std::optional<ShaderStage> stage;
    bool optionsEnded = false;
    const auto fail = [&](const QString& why) {
        parsed.error = why;
        return parsed;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'))) {
            if (argument.isEmpty() || argument == QLatin1String("-"))
                return fail(QStringLiteral("\"%1\" is not a file name").arg(argument));
            options.files.append({argument, stage});
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--validator")) {
            options.validator = true;
        } else if (argument == QLatin1String("--driver")) {
            options.driver = true;
        } else if (argument == QLatin1String("--link")) {
            options.link = true;
        } else if (argument == QLatin1String("--timeout")) {
            const std::optional<int> seconds = WholeNumberIn(TakeValue(arguments, i, {}), 1, kMaxTimeoutSeconds);
            if (!seconds)
                return fail(QStringLiteral("--timeout needs a whole number of seconds from 1 to %1").arg(kMaxTimeoutSeconds));
            options.timeoutSeconds = *seconds;
        } else if (argument == QLatin1String("-j") || argument == QLatin1String("--jobs")
                   || (argument.startsWith(QLatin1String("-j")) && argument.size() > 2)) {
            const QString attached = argument.startsWith(QLatin1String("--")) ? QString() : argument.mid(2);
            const std::optional<int> jobs = WholeNumberIn(TakeValue(arguments, i, attached), 1, kMaxJobs);
            if (!jobs)
                return fail(QStringLiteral("-j needs a number of jobs from 1 to %1").arg(kMaxJobs));
            options.jobs = *jobs;
        } else if (argument == QLatin1String("--target")) {
            const std::optional<QString> name = TakeValue(arguments, i, {});
            if (name && *name == QLatin1String("all")) {
                for (const ShaderTarget& target : StandardTargets())
                    if (!options.targets.contains(target))
                        options.targets.append(target);
                continue;
            }
            const std::optional<ShaderTarget> target = name ? ParseTarget(name->toStdString()) : std::nullopt;
            if (!target)
                return fail(QStringLiteral("--target needs auto, all, gl:VERSION[:core|:compat], es:VERSION or "
                                           "vulkan:1.0 ... vulkan:1.3, not \"%1\"").arg(name.value_or(QString())));
            if (!options.targets.contains(*target))
                options.targets.append(*target);
        } else if (argument == QLatin1String("-I") || (argument.startsWith(QLatin1String("-I")) && argument.size() > 2)) {
            const std::optional<QString> dir = TakeValue(arguments, i, argument.mid(2));
            if (!dir || dir->isEmpty())
                return fail(QStringLiteral("-I needs a folder"));
            options.includePaths.append(*dir);
        } else if (argument == QLatin1String("-D") || (argument.startsWith(QLatin1String("-D")) && argument.size() > 2)) {
            const std::optional<QString> define = TakeValue(arguments, i, argument.mid(2));
            static const QRegularExpression kName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
            const QString name = define ? define->section(QLatin1Char('='), 0, 0) : QString();
            if (!kName.match(name).hasMatch())
                return fail(QStringLiteral("-D needs NAME or NAME=VALUE, not \"%1\"").arg(define.value_or(QString())));
            options.defines.append({name, define->contains(QLatin1Char('=')) ? define->section(QLatin1Char('='), 1) : QString()});
        } else if (argument == QLatin1String("--format")) {
            const QString name = TakeValue(arguments, i, {}).value_or(QString());
            if (name == QLatin1String("human"))
                options.format = OutputFormat::Human;
            else if (name == QLatin1String("gcc"))
                options.format = OutputFormat::Gcc;
            else if (name == QLatin1String("json"))
                options.format = OutputFormat::Json;
            else if (name == QLatin1String("sarif"))
                options.format = OutputFormat::Sarif;
            else
                return fail(QStringLiteral("--format needs human, gcc, json or sarif, not \"%1\"").arg(name));
        } else if (argument == QLatin1String("--werror")) {
            options.werror = true;
        } else if (argument == QLatin1String("--stage")) {
            const std::optional<QString> name = TakeValue(arguments, i, {});
            stage = name ? ParseStage(name->toStdString()) : std::nullopt;
            if (!stage)
                return fail(QStringLiteral("--stage needs vertex, tesscontrol, tessevaluation, geometry, fragment or "
                                           "compute, not \"%1\"").arg(name.value_or(QString())));
        } else {
            return fail(QStringLiteral("unknown option %1").arg(argument));
        }
    }
    if (options.files.isEmpty())
        return fail(QStringLiteral("no shader file given"));
    for (CheckFile& file : options.files)
        if (!file.stage)
            file.stage = StageFromFileName(file.path.toStdString());
    if (options.targets.isEmpty())
        options.targets.append(ShaderTarget{});
    if (!options.validator && !options.driver && !options.link)
        options.validator = options.driver = options.link = true;
    parsed.options = options;
    return parsed;
}

QString CheckHelpText()
{
    return QStringLiteral(
        "Usage: lumenpad-check [OPTIONS] FILE...\n"
        "       lumenpad-check [--validator] [--driver] [--link] VERT FRAG\n"
        "\n"
        "Checks shader files the way Lumenpad's toolbar does, without a window, and prints\n"
        "what each check reports.\n"
        "\n"
        "  --validator  run glslvalidate (next to this program) on each file\n"
        "  --driver     compile each file with the OpenGL driver and link it alone\n"
        "  --link       compile all files with the OpenGL driver and link them together\n"
        "  --target T   check for target T; repeat it for several, or give 'all' for a standard\n"
        "               set; a summary table follows when there are several. T is one of\n"
        "                 auto           what each shader's #version says (the default)\n"
        "                 gl:VERSION[:core|:compat]   desktop GLSL 110 ... 460\n"
        "                 es:VERSION     OpenGL ES GLSL 100, 300, 310, 320\n"
        "                 vulkan:1.0 ... vulkan:1.3   (the validator only; SPIR-V checked too)\n"
        "  --stage S    the stage of the files after it: vertex, tesscontrol, tessevaluation,\n"
        "               geometry, fragment or compute. Otherwise a file's name tells it (.vert,\n"
        "               .tesc, .tese, .geom, .frag, .comp, also name.frag.glsl), then a line\n"
        "               #pragma shader_stage(...) in it; two files without either are taken as\n"
        "               VERT and FRAG, in that order.\n"
        "  -I DIR       look for #include files in DIR after the including file's folder\n"
        "               (repeatable); both checks take the includes\n"
        "  -D NAME[=VALUE]  define a macro for both checks\n"
        "  --format F   human (the default): each check's log under its title, a message given\n"
        "               by several checks at one place shown once with their names, a summary\n"
        "               line last; gcc: path:line:col: error|warning: message [checks], one\n"
        "               line each; json: one JSON document; sarif: SARIF 2.1.0\n"
        "  --werror     warnings fail the run too\n"
        "  -j N         run up to N validator checks at once (default 1)\n"
        "  --timeout SECONDS\n"
        "               stop glslvalidate, and whatever it started, after SECONDS\n"
        "               (default 60); the check then counts as one that could not run\n"
        "  -h, --help   show this text\n"
        "  --           end of options (for file names beginning with '-')\n"
        "\n"
        "Without a check option all three checks run. The driver is reached headless\n"
        "through EGL; no display is needed. A target the driver offers no context for is\n"
        "said so and not counted as an error.\n"
        "\n"
        "Exit status: 0 no check reported an error (warnings may have been reported,\n"
        "unless --werror), 1 a check reported an error, 2 bad usage, an unreadable file,\n"
        "a check that could not run, or a driver that crashed on a shader (the check is named).\n");
}
