#include "ShaderDocument.h"

#include "LumenpadError.h"

#include <algorithm>

DecodedShaderText DecodeShaderText(const QByteArray& bytes, const QString& pathForMessages)
{
    if (bytes.contains('\0'))
        throw LumenpadError(QStringLiteral("Datei %1 enthält NUL-Zeichen und ist keine Textdatei; "
                                           "sie wird nicht geöffnet, damit sie unverändert bleibt")
                                .arg(pathForMessages));
    DecodedShaderText result;
    const QString text = DecodeUtf8OrLatin1(bytes, &result.encoding, ByteOrderMark::Keep);
    // The editor separates lines by '\n' alone; every break becomes one, and each line's own
    // is noted so that saving can give it back.
    // Written in place: a file of many megabytes is one pass, not a character at a time.
    QString lines(text.size(), Qt::Uninitialized);
    QChar* out = lines.data();
    QList<LineEndStyle> ends;
    bool mixed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            *out++ = c;
            continue;
        }
        LineEndStyle end = LineEndStyle::Lf;
        if (c == QLatin1Char('\r')) {
            const bool pair = i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
            end = pair ? LineEndStyle::CrLf : LineEndStyle::Cr;
            i += pair ? 1 : 0;
        }
        if (ends.isEmpty())
            result.lineEnd = end;
        mixed = mixed || end != result.lineEnd;
        ends.append(end);
        *out++ = QLatin1Char('\n');
    }
    lines.truncate(out - lines.constData());
    result.text = std::move(lines);
    if (mixed)
        result.lineEnds = std::move(ends);
    return result;
}

QLatin1StringView LineEndText(LineEndStyle style)
{
    switch (style) {
    case LineEndStyle::CrLf:
        return QLatin1StringView("\r\n");
    case LineEndStyle::Cr:
        return QLatin1StringView("\r");
    case LineEndStyle::Lf:
        break;
    }
    return QLatin1StringView("\n");
}

QByteArray EncodeShaderText(const QString& text, TextEncoding& encoding, LineEndStyle lineEnd)
{
    if (lineEnd == LineEndStyle::Lf)
        return EncodeShaderFileText(text, encoding);
    // Built in one pass: QString::replace with a longer string moves the tail once for each
    // batch of matches, which a file of a million lines makes quadratic.
    const QLatin1StringView end = LineEndText(lineEnd);
    QString withBreaks(text.size() + text.count(QLatin1Char('\n')) * (end.size() - 1), Qt::Uninitialized);
    QChar* out = withBreaks.data();
    for (const QChar c : text) {
        if (c != QLatin1Char('\n')) {
            *out++ = c;
            continue;
        }
        for (const char e : end)
            *out++ = QLatin1Char(e);
    }
    return EncodeShaderFileText(withBreaks, encoding);
}

QByteArray EncodeShaderFileText(const QString& withBreaks, TextEncoding& encoding)
{
    if (encoding == TextEncoding::Latin1) {
        const bool fits = std::all_of(withBreaks.cbegin(), withBreaks.cend(),
                                      [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits)
            return withBreaks.toLatin1();
        encoding = TextEncoding::Utf8;
    }
    return withBreaks.toUtf8();
}
