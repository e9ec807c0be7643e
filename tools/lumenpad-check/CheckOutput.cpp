#include "CheckOutput.h"

#include "CheckVerdict.h"
#include "LogLineParser.h"
#include "TargetDriverCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

QString SeverityName(LogMessage::Severity severity)
{
    switch (severity) {
    case LogMessage::Severity::Error: return QStringLiteral("error");
    case LogMessage::Severity::Warning: return QStringLiteral("warning");
    case LogMessage::Severity::Note: return QStringLiteral("note");
    }
    return {};
}

// glslang's closing count and the validator's verdict are no diagnostics of their own.
bool IsSummaryLine(const QString& line)
{
    static const QRegularExpression kSummary(QStringLiteral(R"(^ERROR: \d+ compilation errors\.)"));
    return kSummary.match(line).hasMatch();
}

struct Found {
    Diagnostic diagnostic;
    int run = 0;
    int line = 0; // index in the run's lines
};

QList<Found> Parse(const QList<CheckRun>& runs)
{
    QList<Found> found;
    for (int r = 0; r < runs.size(); ++r) {
        const CheckRun& run = runs[r];
        QString file = run.file;
        int section = -1;
        for (int i = 0; i < run.report.lines.size(); ++i) {
            const QString line = QString(run.report.lines[i]).remove(QLatin1Char('\r'));
            // The combined check's sections each hold one stage's log.
            for (int s = 0; s < kShaderStageCount; ++s) {
                if (line == StageHeading(ShaderStage(s))) {
                    ++section;
                    file = section < run.stageFiles.size() ? run.stageFiles[section] : run.file;
                }
            }
            if (line == QLatin1String("Program object..."))
                file = run.file;
            Diagnostic d;
            d.sources = {run.source};
            d.target = QString::fromStdString(TargetName(run.target));
            d.text = line.trimmed();
            if (const std::optional<LogMessage> m = ParseLogLine(line)) {
                bool numbered = false;
                m->source.toInt(&numbered);
                d.path = numbered ? file : m->source;
                d.line = m->line;
                d.column = m->column;
                d.severity = SeverityName(m->severity);
                d.message = m->message;
            } else if (LineReportsError(line) && !IsSummaryLine(line)) {
                static const QRegularExpression kLeadingError(QStringLiteral(R"(^\W*(?:error|ERROR):\s*)"));
                d.path = file;
                d.severity = QStringLiteral("error");
                d.message = line.trimmed().remove(kLeadingError);
            } else {
                continue;
            }
            found.append({d, r, i});
        }
    }
    return found;
}

// The index of the diagnostic an earlier check gave at the same place, or -1.
int SamePlace(const QList<Diagnostic>& kept, const Diagnostic& d)
{
    if (d.line == 0)
        return -1;
    for (int k = 0; k < kept.size(); ++k) {
        const Diagnostic& e = kept[k];
        if (e.path == d.path && e.line == d.line && e.severity == d.severity && e.target == d.target
            && !e.sources.contains(d.sources.first()))
            return k;
    }
    return -1;
}

QJsonObject Versions(const ToolVersions& v)
{
    return {{QStringLiteral("glslang"), v.glslang},
            {QStringLiteral("driver"), QJsonObject{{QStringLiteral("vendor"), v.driverVendor},
                                                   {QStringLiteral("renderer"), v.driverRenderer},
                                                   {QStringLiteral("version"), v.driverVersion}}}};
}

} // namespace

QList<Diagnostic> CollectDiagnostics(const QList<CheckRun>& runs)
{
    QList<Diagnostic> kept;
    for (const Found& f : Parse(runs)) {
        const int same = SamePlace(kept, f.diagnostic);
        if (same >= 0)
            kept[same].sources.append(f.diagnostic.sources.first());
        else
            kept.append(f.diagnostic);
    }
    return kept;
}

RunSummary Summarise(const QList<Diagnostic>& diagnostics, int files)
{
    RunSummary s;
    s.files = files;
    for (const Diagnostic& d : diagnostics) {
        if (d.severity == QLatin1String("error"))
            ++s.errors;
        else if (d.severity == QLatin1String("warning"))
            ++s.warnings;
    }
    return s;
}

QString SummaryLine(const RunSummary& s)
{
    const auto counted = [](int n, const char* noun) {
        return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(noun)).arg(n == 1 ? "" : "s");
    };
    return counted(s.files, "file") + QStringLiteral(", ") + counted(s.errors, "error") + QStringLiteral(", ")
         + counted(s.warnings, "warning");
}

QString FormatHuman(const QList<CheckRun>& runs, const QList<Diagnostic>& diagnostics, const RunSummary& summary)
{
    // Which log lines stand for a diagnostic shown earlier, and which carry more than one check.
    QList<Diagnostic> kept;
    QHash<QPair<int, int>, int> shownAt; // (run, line) -> index in kept
    QSet<QPair<int, int>> dropped;
    for (const Found& f : Parse(runs)) {
        const int same = SamePlace(kept, f.diagnostic);
        if (same >= 0) {
            kept[same].sources.append(f.diagnostic.sources.first());
            dropped.insert({f.run, f.line});
        } else {
            shownAt.insert({f.run, f.line}, int(kept.size()));
            kept.append(f.diagnostic);
        }
    }
    Q_UNUSED(diagnostics);

    QString text;
    for (int r = 0; r < runs.size(); ++r) {
        const CheckRun& run = runs[r];
        text += QStringLiteral("== ") + run.title + QLatin1Char('\n');
        if (Parse({run}).isEmpty() && !run.report.reportsError && run.report.ran) {
            text += QStringLiteral("clean: no errors, no warnings\n");
            continue;
        }
        for (int i = 0; i < run.report.lines.size(); ++i) {
            if (dropped.contains({r, i}))
                continue;
            QString line = QString(run.report.lines[i]).remove(QLatin1Char('\r'));
            const auto at = shownAt.constFind({r, i});
            if (at != shownAt.constEnd() && kept[*at].sources.size() > 1)
                line = line.trimmed() + QStringLiteral("   [") + kept[*at].sources.join(QStringLiteral(", ")) + QLatin1Char(']');
            text += line + QLatin1Char('\n');
        }
    }
    return text + SummaryLine(summary) + QLatin1Char('\n');
}

QString FormatGcc(const QList<Diagnostic>& diagnostics)
{
    QString text;
    for (const Diagnostic& d : diagnostics) {
        QString place = d.path;
        if (d.line > 0)
            place += QStringLiteral(":%1:%2").arg(d.line).arg(std::max(d.column, 1));
        text += place + QStringLiteral(": ") + d.severity + QStringLiteral(": ") + d.message + QStringLiteral(" [")
              + d.sources.join(QStringLiteral(", ")) + QStringLiteral("]\n");
    }
    return text;
}

QByteArray FormatJson(const QList<FileEntry>& files, const QStringList& targets, const QStringList& checks,
                      const QList<Diagnostic>& diagnostics, const RunSummary& summary, const ToolVersions& versions)
{
    QJsonArray fileArray;
    for (const FileEntry& f : files)
        fileArray.append(QJsonObject{{QStringLiteral("path"), f.path}, {QStringLiteral("stage"), f.stage}});
    QJsonArray diagnosticArray;
    for (const Diagnostic& d : diagnostics) {
        diagnosticArray.append(QJsonObject{
            {QStringLiteral("path"), d.path},
            {QStringLiteral("line"), d.line},
            {QStringLiteral("column"), d.column},
            {QStringLiteral("severity"), d.severity},
            {QStringLiteral("source"), d.sources.first()},
            {QStringLiteral("sources"), QJsonArray::fromStringList(d.sources)},
            {QStringLiteral("target"), d.target},
            {QStringLiteral("message"), d.message},
        });
    }
    const QJsonObject root{
        {QStringLiteral("tool"), QStringLiteral("lumenpad-check")},
        {QStringLiteral("versions"), Versions(versions)},
        {QStringLiteral("files"), fileArray},
        {QStringLiteral("targets"), QJsonArray::fromStringList(targets)},
        {QStringLiteral("checks"), QJsonArray::fromStringList(checks)},
        {QStringLiteral("diagnostics"), diagnosticArray},
        {QStringLiteral("summary"), QJsonObject{{QStringLiteral("files"), summary.files},
                                                {QStringLiteral("errors"), summary.errors},
                                                {QStringLiteral("warnings"), summary.warnings}}},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray FormatSarif(const QList<Diagnostic>& diagnostics, const ToolVersions& versions, const QString& baseDir)
{
    const QDir base(baseDir);
    const std::pair<const char*, const char*> rules[] = {
        {"validator", "glslang's validator (glslvalidate) reported this"},
        {"driver", "the OpenGL driver's GLSL compiler reported this"},
        {"link", "linking the stages into one program reported this"},
    };
    QJsonArray ruleArray;
    for (const auto& [id, text] : rules)
        ruleArray.append(QJsonObject{{QStringLiteral("id"), QLatin1String(id)},
                                     {QStringLiteral("shortDescription"), QJsonObject{{QStringLiteral("text"), QLatin1String(text)}}}});
    QJsonArray results;
    for (const Diagnostic& d : diagnostics) {
        const QString absolute = QFileInfo(d.path).absoluteFilePath();
        QString uri = base.relativeFilePath(absolute);
        if (uri.startsWith(QLatin1String("../")))
            uri = QUrl::fromLocalFile(absolute).toString();
        QJsonObject region{{QStringLiteral("startLine"), std::max(d.line, 1)}};
        if (d.column > 0)
            region.insert(QStringLiteral("startColumn"), d.column);
        const QJsonObject location{{QStringLiteral("physicalLocation"),
                                    QJsonObject{{QStringLiteral("artifactLocation"), QJsonObject{{QStringLiteral("uri"), uri}}},
                                                {QStringLiteral("region"), region}}}};
        const QString level = d.severity == QLatin1String("note") ? QStringLiteral("note") : d.severity;
        results.append(QJsonObject{
            {QStringLiteral("ruleId"), d.sources.first()},
            {QStringLiteral("level"), level},
            {QStringLiteral("message"), QJsonObject{{QStringLiteral("text"), d.message + QStringLiteral(" [")
                                                                                 + d.sources.join(QStringLiteral(", "))
                                                                                 + QStringLiteral("; ") + d.target + QLatin1Char(']')}}},
            {QStringLiteral("locations"), QJsonArray{location}},
        });
    }
    const QJsonObject driver{
        {QStringLiteral("name"), QStringLiteral("lumenpad-check")},
        {QStringLiteral("informationUri"), QStringLiteral("https://github.com/lumenpad/lumenpad")},
        {QStringLiteral("version"), QStringLiteral(LUMENPAD_VERSION)},
        {QStringLiteral("rules"), ruleArray},
        {QStringLiteral("properties"), Versions(versions)},
    };
    const QJsonObject run{{QStringLiteral("tool"), QJsonObject{{QStringLiteral("driver"), driver}}},
                          {QStringLiteral("results"), results}};
    const QJsonObject root{
        {QStringLiteral("$schema"), QStringLiteral("https://json.schemastore.org/sarif-2.1.0.json")},
        {QStringLiteral("version"), QStringLiteral("2.1.0")},
        {QStringLiteral("runs"), QJsonArray{run}},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ReadDriverHeader(const QString& line, ToolVersions& versions)
{
    static const QString head = QStringLiteral("Output of current glSlang-Implementation (");
    if (!line.startsWith(head) || !line.endsWith(QLatin1String(") :")))
        return false;
    const QStringList parts = line.mid(head.size(), line.size() - head.size() - 3).split(QStringLiteral(" - "));
    if (parts.size() < 3)
        return false;
    versions.driverVendor = parts.first();
    versions.driverVersion = parts.last();
    versions.driverRenderer = parts.mid(1, parts.size() - 2).join(QStringLiteral(" - "));
    return true;
}
