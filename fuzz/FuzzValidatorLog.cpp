// The text-file module as the validator's log goes through it: decoding keeps every byte
// (UTF-8 or Latin-1), splitting yields every line and no line holds a break.

#include "FuzzSupport.h"
#include "TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    const QString text = DecodeUtf8OrLatin1(bytes);
    const QString expected = ExpectedText(bytes, true);
    FUZZ_CHECK(text == expected, QStringLiteral("decoded %1\nexpected %2")
                                     .arg(QString::fromStdString(Escaped(text)),
                                          QString::fromStdString(Escaped(expected))));

    const QStringList lines = SplitLines(text);
    qsizetype breaks = 0;
    QString withLf = text; // every break made a single LF
    withLf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    withLf.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    breaks = withLf.count(QLatin1Char('\n'));
    const qsizetype want = breaks + ((!withLf.isEmpty() && !withLf.endsWith(QLatin1Char('\n'))) ? 1 : 0);
    QString listed;
    for (const QString& l : lines)
        listed += QString::fromStdString(Escaped(l)) + QLatin1Char(' ');
    FUZZ_CHECK(lines.size() == want, QStringLiteral("%1 lines, %2 expected: %3").arg(lines.size()).arg(want).arg(listed));
    for (const QString& l : lines)
        FUZZ_CHECK(!l.contains(QLatin1Char('\r')) && !l.contains(QLatin1Char('\n')), listed);
    // Put back together with LF, the lines are the text.
    const QString joined = lines.join(QLatin1Char('\n'));
    const QString wantJoined = withLf.endsWith(QLatin1Char('\n')) ? withLf.chopped(1) : withLf;
    FUZZ_CHECK(joined == wantJoined, listed);
    return 0;
}
