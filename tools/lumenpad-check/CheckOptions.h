#pragma once

// The command line of lumenpad-check.

#include "ShaderTarget.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

struct CheckFile {
    QString path;                     // as given
    std::optional<ShaderStage> stage; // from --stage or the file name; else read from the text
};

enum class OutputFormat { Human, Gcc, Json, Sarif };

struct CheckOptions {
    bool validator = false;  // glslvalidate on each file
    bool driver = false;     // the driver's compile-and-link check of each file alone
    bool link = false;       // the driver's check of all files linked into one program
    int timeoutSeconds = 60; // how long glslvalidate may run on one file
    int jobs = 1;            // validator runs at once
    QList<ShaderTarget> targets{ShaderTarget{}};
    QList<CheckFile> files;
    QStringList includePaths;              // -I DIR
    QList<QPair<QString, QString>> defines; // -D NAME[=VALUE]
    OutputFormat format = OutputFormat::Human;
    bool werror = false; // warnings fail the run
};

inline constexpr int kMaxTimeoutSeconds = 24 * 60 * 60;
inline constexpr int kMaxJobs = 64;

struct ParsedArguments {
    bool help = false;
    std::optional<CheckOptions> options; // set when the arguments were usable
    QString error;                       // why they were not
};

// Reads the arguments after the program name. Without any of --validator, --driver and
// --link all three checks run. "--" ends the options, so a file name may begin with "-".
// --help (or -h) before "--" asks for help whatever else is given.
ParsedArguments ParseCheckArguments(const QStringList& arguments);

// The text --help prints.
QString CheckHelpText();
