#pragma once

// The command line of lumenpad-check.

#include <QString>
#include <QStringList>

#include <optional>

struct CheckOptions {
    bool validator = false; // glslvalidate on each file
    bool driver = false;    // the driver's compile-and-link check of each file alone
    bool link = false;      // the driver's check of both files linked into one program
    int timeoutSeconds = 60; // how long glslvalidate may run on one file
    QString vertexPath;
    QString fragmentPath;
};

inline constexpr int kMaxTimeoutSeconds = 24 * 60 * 60;

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
