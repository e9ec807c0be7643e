#include "HintWordScan.h"

namespace {

bool IsBackwardDelimiter(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'=':
    case u'*':
    case u'+':
    case u'-':
    case u'/':
    case u'(':
        return true;
    default:
        return false;
    }
}

} // namespace

QString ExtractHintWord(QStringView line, int position)
{
    if (position < 0)
        return QString();
    const qsizetype length = line.size();
    // Past the end every position holds a non-delimiter, so any position there scans back
    // exactly as the end of the line does.
    const qsizetype p = qMin<qsizetype>(position, length);

    // Both scans count positions from 1; position k holds line[k - 1].
    auto at = [&](qsizetype k) { return k >= 1 && k <= length ? line[k - 1] : QChar(u'x'); };

    qsizetype j = p + 1;
    while (j > 0 && !IsBackwardDelimiter(at(j)))
        --j;

    qsizetype i = p + 1;
    while (i <= length && at(i) != u' ') {
        ++i;
        if (at(i) == u'(')
            break;
    }

    // The word runs from position j + 1 to i - 1; nothing past the end of the line counts.
    const qsizetype first = j + 1;
    const qsizetype last = qMin(i - 1, length);
    if (last < first)
        return QString();
    return line.sliced(first - 1, last - first + 1).toString();
}
