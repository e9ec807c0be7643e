#pragma once

// Reading a compiler's log line as a diagnostic tied to a source line. The forms understood
// are those the checks meet in practice:
//
//   glslang, AMD and Intel on Windows, Apple   ERROR: 0:13: 'foo' : undeclared identifier
//                                              WARNING: tmp.vs:13: ...   (also NOTE:, INTERNAL ERROR:)
//   Mesa                                       0:13(2): error: ...   0:13(2): preprocessor error: ...
//   NVIDIA                                     0(13) : error C1008: undefined variable "foo"
//
// Everything else (headings, the validator's verdict, summaries such as glslang's
// "ERROR: 1 compilation errors.  No code generated.", link messages without a location)
// is not a located diagnostic and yields nothing.

#include <QString>
#include <QStringView>

#include <optional>

struct LogMessage {
    enum class Severity { Error, Warning, Note };

    int line = 0;   // 1-based
    int column = 0; // 0 when the log gives none
    Severity severity = Severity::Error;
    QString message; // the text after the location and severity, NVIDIA's code included
    QString source;  // the file or string id as the log writes it, e.g. "0" or "tmp.vs"
};

// The diagnostic a log line carries; nothing for any other line, and for a line number of 0.
// Trailing CR characters and blanks are ignored, since logs may keep CR LF line ends.
std::optional<LogMessage> ParseLogLine(QStringView line);
