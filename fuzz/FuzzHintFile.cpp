// The hint file: LoadHintFile against a reading written from the file format, and the
// catalogue written back in that format reads back the same.

#include "FuzzSupport.h"
#include "HelpSystem.h"

#include "LumenpadError.h"

#include <QCoreApplication>

#include <climits>
#include <optional>

namespace {

const QString kInvalidNumber = QStringLiteral("Ungültige numerische Eingabe");

struct Catalogue {
    QStringList names;
    QList<QStringList> hints;
    std::optional<QString> error;
};

// The format, read independently: Ctrl-Z ends the file; UTF-8 when well-formed (a leading
// byte order mark dropped), else Latin-1; lines end at LF or CR LF; a count is the token after
// blanks, tabs and line breaks, at most 32 characters, ending at a blank or control
// character, an optionally signed decimal that fits an int; its line's rest is ignored.
Catalogue ReferenceLoad(const QByteArray& bytes)
{
    QByteArray kept = bytes;
    const qsizetype eof = kept.indexOf('\x1a');
    if (eof >= 0)
        kept.truncate(eof);
    const QString text = ExpectedText(kept, true);

    qsizetype pos = 0;
    const qsizetype n = text.size();
    auto line = [&] {
        qsizetype end = pos;
        while (end < n && text[end] != u'\n')
            ++end;
        qsizetype textEnd = end;
        if (end < n && textEnd > pos && text[textEnd - 1] == u'\r')
            --textEnd;
        const QString l = text.mid(pos, textEnd - pos);
        pos = end < n ? end + 1 : n;
        return l;
    };

    Catalogue c;
    do {
        const QString name = line();
        while (pos < n && (text[pos] == u' ' || text[pos] == u'\t' || text[pos] == u'\n' || text[pos] == u'\r'))
            ++pos;
        long long count = 0;
        if (pos < n) {
            QString token;
            while (pos < n && token.size() < 32 && text[pos].unicode() > 32 && text[pos].unicode() != 127)
                token += text[pos++];
            bool ok = true;
            qsizetype i = 0;
            bool negative = false;
            if (!token.isEmpty() && (token[0] == u'+' || token[0] == u'-')) {
                negative = token[0] == u'-';
                ++i;
            }
            ok = i < token.size();
            long long magnitude = 0;
            for (; ok && i < token.size(); ++i) {
                ok = token[i] >= u'0' && token[i] <= u'9' && magnitude <= 1LL + INT_MAX;
                magnitude = magnitude * 10 + (token[i].unicode() - u'0');
            }
            count = negative ? -magnitude : magnitude;
            if (!ok || count < INT_MIN || count > INT_MAX) {
                c.error = kInvalidNumber;
                return c;
            }
            while (pos < n && text[pos] != u'\n')
                ++pos;
            if (pos < n)
                ++pos;
        }
        QStringList lines;
        for (long long k = 0; k < count && pos < n; ++k)
            lines.append(line());
        c.names.append(name);
        c.hints.append(lines);
    } while (pos < n);
    return c;
}

// The catalogue in the file format: every line ended by CR LF, so a line's own trailing CR
// stays, and a byte order mark in front, so a name's own leading U+FEFF stays.
QByteArray Written(const QStringList& names, const QList<QStringList>& hints)
{
    QString text;
    for (qsizetype r = 0; r < names.size(); ++r) {
        text += names[r] + QLatin1String("\r\n") + QString::number(hints[r].size()) + QLatin1String("\r\n");
        for (const QString& l : hints[r])
            text += l + QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString Describe(const QStringList& names, const QList<QStringList>& hints)
{
    QString out = QStringLiteral("%1 records:").arg(names.size());
    for (qsizetype r = 0; r < names.size() && r < 20; ++r) {
        out += QLatin1Char(' ') + QString::fromStdString(Escaped(names[r])) + QLatin1Char('[');
        if (r < hints.size())
            for (const QString& l : hints[r])
                out += QString::fromStdString(Escaped(l)) + QLatin1Char(',');
        out += QLatin1Char(']');
    }
    return out;
}

struct Loaded {
    QStringList names;
    QList<QStringList> hints;
    std::optional<QString> error;
};

Loaded Load(const QByteArray& bytes)
{
    static FuzzTempFile file;
    file.write(bytes);
    THelpSystem help(nullptr);
    Loaded loaded;
    try {
        help.LoadHintFile(file.path());
    } catch (const LumenpadError& e) {
        loaded.error = e.message();
    }
    FUZZ_CHECK(help.Names.size() == help.Hints.size(), Describe(help.Names, help.Hints));
    loaded.names = help.Names;
    loaded.hints = help.Hints;
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    const Loaded got = Load(bytes);

    FUZZ_CHECK(!got.error || *got.error == kInvalidNumber, *got.error);
    FUZZ_CHECK(got.error || !got.names.isEmpty(), QStringLiteral("a file read whole gave no record"));
    // A record takes at least its name line; a text line is a line of the file.
    const qsizetype fileLines = bytes.count('\n') + 1;
    qsizetype taken = 0;
    for (qsizetype r = 0; r < got.names.size(); ++r) {
        FUZZ_CHECK(!got.names[r].contains(QLatin1Char('\n')), Describe(got.names, got.hints));
        taken += 1 + got.hints[r].size();
        for (const QString& l : got.hints[r])
            FUZZ_CHECK(!l.contains(QLatin1Char('\n')) && !l.contains(QChar(0x1A)), Describe(got.names, got.hints));
    }
    FUZZ_CHECK(taken <= fileLines, QStringLiteral("%1 lines taken from %2").arg(taken).arg(fileLines));

    const Catalogue expected = ReferenceLoad(bytes);
    FUZZ_CHECK(got.error == expected.error && got.names == expected.names && got.hints == expected.hints,
               QStringLiteral("got      %1 %2\nexpected %3 %4")
                   .arg(got.error.value_or(QString()), Describe(got.names, got.hints),
                        expected.error.value_or(QString()), Describe(expected.names, expected.hints)));

    // Lookups answer with the first record of the name, its lines joined by CR.
    if (!got.names.isEmpty()) {
        THelpSystem help(nullptr);
        help.Names = got.names;
        help.Hints = got.hints;
        const QString& name = got.names.back();
        const qsizetype first = got.names.indexOf(name);
        qsizetype firstFolded = 0;
        while (got.names[firstFolded].compare(name, Qt::CaseInsensitive) != 0)
            ++firstFolded;
        FUZZ_CHECK(firstFolded <= first, name);
        const QString want = got.hints[firstFolded].isEmpty() ? QString::fromLatin1(kNoHintText)
                                                              : got.hints[firstFolded].join(QLatin1Char('\r'));
        FUZZ_CHECK(help.GetHint(name) == want, name);
    }

    // Written back in the file format, the catalogue loads the same.
    if (!got.error && got.names.size() < 5000) {
        const QByteArray written = Written(got.names, got.hints);
        const Loaded again = Load(written);
        FUZZ_CHECK(!again.error && again.names == got.names && again.hints == got.hints,
                   QStringLiteral("written %1\nread back %2 %3")
                       .arg(QString::fromStdString(Escaped(written)), again.error.value_or(QString()),
                            Describe(again.names, again.hints)));
    }
    return 0;
}
