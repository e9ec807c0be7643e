#include "CheckVerdict.h"

#include "LogLineParser.h"

#include <QRegularExpression>

bool LineReportsError(QStringView line)
{
    if (const std::optional<LogMessage> message = ParseLogLine(line))
        return message->severity == LogMessage::Severity::Error;
    static const QRegularExpression kUnlocatedError(QStringLiteral("(?:^|[^A-Za-z_])(?:error:|ERROR:|error C\\d)"));
    return kUnlocatedError.match(line.toString()).hasMatch();
}

bool LinesReportError(const QStringList& lines)
{
    for (const QString& line : lines)
        if (LineReportsError(line))
            return true;
    return false;
}

QString FirstErrorLine(const QStringList& lines)
{
    for (const QString& line : lines)
        if (LineReportsError(line))
            return QString(line).remove(QLatin1Char('\r')).trimmed();
    return {};
}
