#include "LogLineParser.h"

#include <QLatin1String>

#include <climits>
#include <initializer_list>

namespace {

using Severity = LogMessage::Severity;

struct SeverityWord {
    QLatin1String text;
    Severity severity;
};

// A run of ASCII digits at pos, moved past; nothing when there is none or it overflows an int.
std::optional<int> ReadNumber(QStringView text, qsizetype& pos)
{
    qsizetype i = pos;
    long long value = 0;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > INT_MAX)
            return std::nullopt;
        ++i;
    }
    if (i == pos)
        return std::nullopt;
    pos = i;
    return int(value);
}

bool Take(QStringView text, qsizetype& pos, QChar c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

void SkipBlanks(QStringView text, qsizetype& pos)
{
    while (pos < text.size() && text[pos] == QLatin1Char(' '))
        ++pos;
}

// The severity of the word at pos, when one of the list stands there followed by one of the
// given characters; pos is moved past the word.
std::optional<Severity> TakeSeverity(QStringView text, qsizetype& pos, std::initializer_list<SeverityWord> words,
                                     QStringView ends)
{
    const QStringView rest = text.mid(pos);
    for (const SeverityWord& word : words) {
        if (rest.startsWith(word.text) && rest.size() > word.text.size() && ends.contains(rest[word.text.size()])) {
            pos += word.text.size();
            return word.severity;
        }
    }
    return std::nullopt;
}

std::optional<LogMessage> Located(QStringView source, int line, int column, Severity severity, QStringView message)
{
    if (line < 1)
        return std::nullopt;
    LogMessage m;
    m.line = line;
    m.column = column;
    m.severity = severity;
    m.message = message.trimmed().toString();
    m.source = source.toString();
    return m;
}

// "ERROR: 0:13: text", "WARNING: tmp.vs:13: text", also with a column ("0:13:5:"). The source
// holds no blanks and may hold colons itself (a drive letter), so the location is the first
// ":digits:" after it.
std::optional<LogMessage> ParsePrefixed(QStringView line)
{
    static const SeverityWord kPrefixes[] = {
        {QLatin1String("ERROR: "), Severity::Error},
        {QLatin1String("WARNING: "), Severity::Warning},
        {QLatin1String("NOTE: "), Severity::Note},
        {QLatin1String("INTERNAL ERROR: "), Severity::Error},
    };
    for (const SeverityWord& prefix : kPrefixes) {
        if (!line.startsWith(prefix.text))
            continue;
        const QStringView rest = line.mid(prefix.text.size());
        for (qsizetype i = 0; i < rest.size() && !rest[i].isSpace(); ++i) {
            if (rest[i] != QLatin1Char(':') || i == 0)
                continue;
            qsizetype pos = i + 1;
            const std::optional<int> number = ReadNumber(rest, pos);
            if (!number || !Take(rest, pos, QLatin1Char(':')))
                continue;
            int column = 0;
            qsizetype afterColumn = pos;
            if (const std::optional<int> c = ReadNumber(rest, afterColumn); c && Take(rest, afterColumn, QLatin1Char(':'))) {
                column = *c;
                pos = afterColumn;
            }
            return Located(rest.left(i), *number, column, prefix.severity, rest.mid(pos));
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// Mesa: "0:13(2): error: text", "0:13(2): preprocessor error: text".
std::optional<LogMessage> ParseMesa(QStringView line)
{
    for (qsizetype i = 1; i < line.size() && !line[i].isSpace(); ++i) {
        if (line[i] != QLatin1Char(':'))
            continue;
        qsizetype pos = i + 1;
        const std::optional<int> number = ReadNumber(line, pos);
        if (!number || !Take(line, pos, QLatin1Char('(')))
            continue;
        const std::optional<int> column = ReadNumber(line, pos);
        if (!column || !Take(line, pos, QLatin1Char(')')) || !Take(line, pos, QLatin1Char(':')))
            continue;
        SkipBlanks(line, pos);
        const std::optional<Severity> severity = TakeSeverity(line, pos,
                                                              {{QLatin1String("error"), Severity::Error},
                                                               {QLatin1String("warning"), Severity::Warning},
                                                               {QLatin1String("note"), Severity::Note},
                                                               {QLatin1String("preprocessor error"), Severity::Error},
                                                               {QLatin1String("preprocessor warning"), Severity::Warning}},
                                                              u":");
        if (!severity)
            return std::nullopt;
        ++pos; // the colon after the word
        return Located(line.left(i), *number, *column, *severity, line.mid(pos));
    }
    return std::nullopt;
}

// NVIDIA: "0(13) : error C1008: text"; the message keeps the code ("C1008: text"). The source
// holds no colon, so a Mesa line that was turned down (line 0) cannot pass as one of these.
std::optional<LogMessage> ParseNvidia(QStringView line)
{
    const qsizetype open = line.indexOf(QLatin1Char('('));
    if (open < 0)
        return std::nullopt;
    const QStringView source = line.left(open);
    for (QChar c : source)
        if (c.isSpace() || c == QLatin1Char(':'))
            return std::nullopt;
    qsizetype pos = open + 1;
    const std::optional<int> number = ReadNumber(line, pos);
    if (!number || !Take(line, pos, QLatin1Char(')')))
        return std::nullopt;
    SkipBlanks(line, pos);
    if (!Take(line, pos, QLatin1Char(':')))
        return std::nullopt;
    SkipBlanks(line, pos);
    const std::optional<Severity> severity = TakeSeverity(line, pos,
                                                          {{QLatin1String("fatal error"), Severity::Error},
                                                           {QLatin1String("error"), Severity::Error},
                                                           {QLatin1String("warning"), Severity::Warning},
                                                           {QLatin1String("note"), Severity::Note}},
                                                          u" :");
    if (!severity)
        return std::nullopt;
    SkipBlanks(line, pos);
    if (Take(line, pos, QLatin1Char(':')))
        SkipBlanks(line, pos);
    return Located(source, *number, 0, *severity, line.mid(pos));
}

} // namespace

std::optional<LogMessage> ParseLogLine(QStringView line)
{
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    if (std::optional<LogMessage> m = ParsePrefixed(line))
        return m;
    if (std::optional<LogMessage> m = ParseMesa(line))
        return m;
    return ParseNvidia(line);
}
