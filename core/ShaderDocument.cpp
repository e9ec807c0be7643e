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
    QString text = DecodeUtf8OrLatin1(bytes, &result.encoding, ByteOrderMark::Keep);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n')) {
            result.lineEnd = LineEndStyle::Lf;
            break;
        }
        if (text[i] == QLatin1Char('\r')) {
            result.lineEnd = (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? LineEndStyle::CrLf
                                                                                       : LineEndStyle::Cr;
            break;
        }
    }
    // The editor separates lines by '\n' alone; every other break becomes one.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    result.text = std::move(text);
    return result;
}

QByteArray EncodeShaderText(const QString& text, TextEncoding& encoding, LineEndStyle lineEnd)
{
    QString withBreaks = text;
    if (lineEnd == LineEndStyle::CrLf)
        withBreaks.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    else if (lineEnd == LineEndStyle::Cr)
        withBreaks.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    if (encoding == TextEncoding::Latin1) {
        const bool fits = std::all_of(withBreaks.cbegin(), withBreaks.cend(),
                                      [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits)
            return withBreaks.toLatin1();
        encoding = TextEncoding::Utf8;
    }
    return withBreaks.toUtf8();
}
