// The hint-word scan: ExtractHintWord against the scan rules read directly, and the word is
// always a piece of the line.

#include "FuzzSupport.h"
#include "HintWordScan.h"

#include <cstring>

namespace {

bool IsBackwardDelimiter(QChar c)
{
    return QStringView(u" =*+-/(").contains(c);
}

// Back from the character under the pointer to just after the nearest delimiter at or before
// it; forward to the nearest blank at or after it or "(" after it. Past the end of the line
// the position is the end of the line.
QString ReferenceWord(QStringView line, int position)
{
    if (position < 0)
        return QString();
    const qsizetype n = line.size();
    const qsizetype p = qMin<qsizetype>(position, n);
    qsizetype start = 0;
    for (qsizetype k = qMin(p, n - 1); k >= 0; --k) {
        if (IsBackwardDelimiter(line[k])) {
            start = k + 1;
            break;
        }
    }
    qsizetype end = n;
    for (qsizetype k = p; k < n; ++k) {
        if (line[k] == u' ' || (k > p && line[k] == u'(')) {
            end = k;
            break;
        }
    }
    return end > start ? line.sliced(start, end - start).toString() : QString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Four bytes of position, then the line.
    if (size < 4)
        return 0;
    std::int32_t raw;
    std::memcpy(&raw, data, 4);
    const QString line = FuzzText(data + 4, size - 4);
    // Mostly positions within or just past the line, sometimes anything at all.
    const int position = (raw & 0x40000000) ? raw : int(raw % (int(line.size()) + 3));

    const QString word = ExtractHintWord(line, position);
    const QString expected = ReferenceWord(line, position);
    const QString detail = QStringLiteral("line %1 position %2: word %3, expected %4")
                               .arg(QString::fromStdString(Escaped(line)))
                               .arg(position)
                               .arg(QString::fromStdString(Escaped(word)), QString::fromStdString(Escaped(expected)));
    FUZZ_CHECK(word == expected, detail);
    FUZZ_CHECK(line.contains(word), detail);
    FUZZ_CHECK(!word.contains(QLatin1Char(' ')), detail);
    return 0;
}
