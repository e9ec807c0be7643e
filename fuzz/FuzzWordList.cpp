// Word-list files: decoding keeps every byte (UTF-8 or Latin-1), splitting finds every line
// and nothing else, and the file reader agrees with the two.

#include "FuzzSupport.h"
#include "TextFile.h"
#include "WordListFile.h"

#include "LumenpadError.h"

namespace {

QString Listed(const QStringList& entries)
{
    QString out;
    for (const QString& e : entries)
        out += QString::fromStdString(Escaped(e)) + QLatin1Char(' ');
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    const QString text = DecodeWordListText(bytes);

    // Up to the first NUL, every byte stands for a character: UTF-8 when the whole of it is
    // well-formed UTF-8 (a leading byte order mark dropped), otherwise Latin-1.
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArray kept = nul < 0 ? bytes : bytes.first(nul);
    const QString expected = ExpectedText(kept, true);
    FUZZ_CHECK(text == expected, QStringLiteral("decoded %1\nexpected %2")
                                     .arg(QString::fromStdString(Escaped(text)),
                                          QString::fromStdString(Escaped(expected))));

    const QStringList entries = SplitLines(text);

    // Entries never hold a line break, and with the breaks between them they give the text back.
    qsizetype breaks = 0;
    qsizetype breakChars = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++breaks;
            breakChars += 2;
            ++i;
        } else if (text[i] == u'\r' || text[i] == u'\n') {
            ++breaks;
            ++breakChars;
        }
    }
    const bool endsWithBreak = !text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r');
    const qsizetype wantCount = breaks + ((!text.isEmpty() && !endsWithBreak) ? 1 : 0);
    FUZZ_CHECK(entries.size() == wantCount,
               QStringLiteral("%1 entries, %2 expected: %3").arg(entries.size()).arg(wantCount).arg(Listed(entries)));
    qsizetype total = 0;
    for (const QString& e : entries) {
        FUZZ_CHECK(!e.contains(QLatin1Char('\n')) && !e.contains(QLatin1Char('\r')), Listed(entries));
        total += e.size();
    }
    FUZZ_CHECK(total + breakChars == text.size(), Listed(entries));
    // Entries come in order: each one is found in the text after the one before it.
    qsizetype from = 0;
    for (const QString& e : entries) {
        const qsizetype at = text.indexOf(e, from);
        FUZZ_CHECK(at == from, QStringLiteral("entry %1 not at %2").arg(QString::fromStdString(Escaped(e))).arg(from));
        from = at + e.size();
        if (from < text.size() && text[from] == u'\r' && from + 1 < text.size() && text[from + 1] == u'\n')
            from += 2;
        else if (from < text.size())
            ++from;
    }

    // Written one entry a line, with LF or CR LF, the entries read back unchanged.
    for (const char* lineEnd : {"\n", "\r\n"}) {
        QString joined;
        for (const QString& e : entries)
            joined += e + QLatin1String(lineEnd);
        const QStringList again = SplitLines(joined);
        FUZZ_CHECK(again == entries, QStringLiteral("%1\nread back %2").arg(Listed(entries), Listed(again)));
    }
    // Joined with '\n' alone the same holds unless the last entry is empty, whose break would
    // then be the text's final one.
    if (!entries.isEmpty() && !entries.back().isEmpty()) {
        const QStringList again = SplitLines(entries.join(QLatin1Char('\n')));
        FUZZ_CHECK(again == entries, QStringLiteral("%1\nread back %2").arg(Listed(entries), Listed(again)));
    }

    // The file reader gives what decoding and splitting give.
    static FuzzTempFile file;
    file.write(bytes);
    QStringList fromFile;
    try {
        fromFile = ReadWordListFile(file.path());
    } catch (const LumenpadError& e) {
        FUZZ_CHECK(false, QStringLiteral("a readable file failed: %1").arg(e.message()));
    }
    FUZZ_CHECK(fromFile == entries, QStringLiteral("file %1\nbuffer %2").arg(Listed(fromFile), Listed(entries)));
    return 0;
}
