#pragma once

// #include for compilers that have none: a shader's #include "file" and #include <file> lines
// are replaced by the files they name, with #line directives around each, so every message
// still names the file and line it stands in. A file is looked up beside the file that
// includes it, then in each include path in turn. -D style macros are defined the same way.
//
// Two forms, one per kind of reader:
//   named      #line 4 "lib/noise.glsl": glslang, with GL_GOOGLE_cpp_style_line_directive,
//              which the expansion enables itself; messages then name the file.
//   mapped     no #line at all: drivers keep source-string numbers in some messages and lose
//              them in others, so each line of the text is mapped back to its file and line
//              instead, and the driver's messages are rewritten by that map.
// The main file is source string 0 in both, so its messages read as they always did.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

enum class LineForm { Named, Mapped };

struct IncludeSettings {
    QStringList includePaths;
    QList<QPair<QString, QString>> defines; // NAME and VALUE ("" for a bare NAME)
    int maxDepth = 64;
};

struct ExpandedShader {
    QString text;      // lines separated by '\n'
    QStringList files; // [0] the main file, [k] an included file, as the user names it
    // Mapped form: for each line of text, the file (index into files) and line it came from;
    // line 0 for a line the expansion added.
    QList<QPair<int, int>> origins;
    QString error;     // the first include that failed, glslang style, naming the chain; or empty
    bool changed = false; // false: the text is the shader as it was (no #include, no macro)
};

// Whether the text holds an #include line at all.
bool HasIncludes(const QString& text);

// Expands the includes of text, the contents of the file mainPath (which names it in
// messages; it may be empty for a page without a file). lineNamesNextLine is the #line rule
// of the shader's language version (see ShaderTarget.h).
ExpandedShader ExpandIncludes(const QString& text, const QString& mainPath, const IncludeSettings& settings,
                              LineForm form, bool lineNamesNextLine);

// A driver's log line about the mapped text, with its location put back where the line came
// from ("0:12(16): error: ..." becomes "lib/noise.glsl:4(16): error: ..." or, for a line of
// the main file, "0:3(16): ..."); lines without a location are unchanged.
QString MapLogLine(const QString& line, const ExpandedShader& expanded);
