#include "CheckOptions.h"

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
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'))) {
            files.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--validator")) {
            options.validator = true;
        } else if (argument == QLatin1String("--driver")) {
            options.driver = true;
        } else if (argument == QLatin1String("--link")) {
            options.link = true;
        } else if (argument == QLatin1String("--timeout")) {
            bool ok = false;
            const int seconds = i + 1 < arguments.size() ? arguments[++i].toInt(&ok) : 0;
            if (!ok || seconds <= 0 || seconds > kMaxTimeoutSeconds) {
                parsed.error = QStringLiteral("--timeout needs a whole number of seconds from 1 to %1")
                                   .arg(kMaxTimeoutSeconds);
                return parsed;
            }
            options.timeoutSeconds = seconds;
        } else {
            parsed.error = QStringLiteral("unknown option %1").arg(argument);
            return parsed;
        }
    }
    if (files.size() != 2) {
        parsed.error = files.size() < 2 ? QStringLiteral("a vertex and a fragment shader file are needed")
                                        : QStringLiteral("too many files: %1 given, two expected").arg(files.size());
        return parsed;
    }
    for (const QString& file : files) {
        if (file.isEmpty() || file == QLatin1String("-")) {
            parsed.error = QStringLiteral("\"%1\" is not a file name").arg(file);
            return parsed;
        }
    }
    if (!options.validator && !options.driver && !options.link)
        options.validator = options.driver = options.link = true;
    options.vertexPath = files[0];
    options.fragmentPath = files[1];
    parsed.options = options;
    return parsed;
}

QString CheckHelpText()
{
    return QStringLiteral(
        "Usage: lumenpad-check [--validator] [--driver] [--link] [--timeout SECONDS] VERT FRAG\n"
        "\n"
        "Checks a vertex shader file VERT and a fragment shader file FRAG the way Lumenpad's\n"
        "toolbar does, without a window, and prints what each check reports.\n"
        "\n"
        "  --validator  run glslvalidate (next to this program) on each file\n"
        "  --driver     compile each file with the OpenGL driver and link it alone\n"
        "  --link       compile both files with the OpenGL driver and link them together\n"
        "  --timeout SECONDS\n"
        "               stop glslvalidate, and whatever it started, after SECONDS\n"
        "               (default 60); the check then counts as one that could not run\n"
        "  -h, --help   show this text\n"
        "  --           end of options (for file names beginning with '-')\n"
        "\n"
        "Without a check option all three checks run. The driver is reached headless\n"
        "through EGL; no display is needed.\n"
        "\n"
        "Exit status: 0 no check reported an error (warnings may have been reported),\n"
        "1 a check reported an error, 2 bad usage, an unreadable file or a check that\n"
        "could not run.\n");
}
