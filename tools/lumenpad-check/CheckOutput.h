#pragma once

// What lumenpad-check prints: the checks' logs for people, or their diagnostics for machines
// (gcc's one-line form, a JSON document, SARIF 2.1.0 for code scanning).

#include "ShaderChecks.h"
#include "ShaderTarget.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One check's report and what it was run on.
struct CheckRun {
    QString title;             // "glslValidate: a.frag", as the human format heads it
    QString source;            // "validator", "driver" or "link"
    ShaderTarget target;
    QStringList stageFiles;    // for a link: the file of each stage section, in the log's order
    QString file;              // the file a located message without a file name stands in
    CheckReport report;
};

struct Diagnostic {
    QString path;
    int line = 0;   // 0: the message names no line
    int column = 0; // 0: no column
    QString severity; // "error", "warning" or "note"
    QStringList sources; // the checks that reported it: "validator", "driver", "link"
    QString target;
    QString message;
    QString text; // the log line as written
};

// Every diagnostic of the runs, one reported by several checks at the same place (file, line,
// severity, target) kept once with all their sources.
QList<Diagnostic> CollectDiagnostics(const QList<CheckRun>& runs);

struct RunSummary {
    int files = 0;
    int errors = 0;
    int warnings = 0;
};
RunSummary Summarise(const QList<Diagnostic>& diagnostics, int files);
QString SummaryLine(const RunSummary& summary); // "2 files, 1 error, 0 warnings"

struct ToolVersions {
    QString glslang;        // "glslvalidate on glslang 12.0.0"
    QString driverVendor, driverRenderer, driverVersion;
};

struct FileEntry {
    QString path;
    QString stage;
};

// The human format: each check's log under its title; a diagnostic an earlier check gave at
// the same place is left out and the earlier line names all its checks; a check that found
// nothing says "clean" in one line. The summary line ends it.
QString FormatHuman(const QList<CheckRun>& runs, const QList<Diagnostic>& diagnostics, const RunSummary& summary);
// "path:line:col: error: message [validator, driver]", one line each.
QString FormatGcc(const QList<Diagnostic>& diagnostics);
QByteArray FormatJson(const QList<FileEntry>& files, const QStringList& targets, const QStringList& checks,
                      const QList<Diagnostic>& diagnostics, const RunSummary& summary, const ToolVersions& versions);
// SARIF 2.1.0; artifact URIs relative to baseDir where a file lies under it.
QByteArray FormatSarif(const QList<Diagnostic>& diagnostics, const ToolVersions& versions, const QString& baseDir);

// The driver's vendor, renderer and version from a driver check's header line.
bool ReadDriverHeader(const QString& line, ToolVersions& versions);
