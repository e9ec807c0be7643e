// A driver's info log into output lines: one line per LF-ended piece plus the last piece,
// nothing for an empty log, CRs kept, every byte accounted for.

#include "DriverCheck.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string log(reinterpret_cast<const char*>(data), size);
    // A line already there stays first.
    QStringList lines{QStringLiteral("header")};
    AddLogLines(log, lines);

    FUZZ_CHECK(!lines.isEmpty() && lines.front() == QLatin1String("header"), QStringLiteral("header lost"));
    const qsizetype added = lines.size() - 1;
    const qsizetype want = log.empty() ? 0 : qsizetype(std::count(log.begin(), log.end(), '\n')) + 1;
    FUZZ_CHECK(added == want, QStringLiteral("%1 lines added, %2 expected for %3")
                                  .arg(added)
                                  .arg(want)
                                  .arg(QString::fromStdString(Escaped(FuzzBytes(data, size)))));

    // Piece by piece, each line is its piece of the log as UTF-8, CRs included.
    std::size_t from = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        std::size_t end = log.find('\n', from);
        if (end == std::string::npos)
            end = log.size();
        const QString piece = QString::fromUtf8(log.data() + from, qsizetype(end - from));
        FUZZ_CHECK(lines[i] == piece, QStringLiteral("line %1: %2, expected %3")
                                          .arg(i)
                                          .arg(QString::fromStdString(Escaped(lines[i])),
                                               QString::fromStdString(Escaped(piece))));
        FUZZ_CHECK(!lines[i].contains(QLatin1Char('\n')), QString::fromStdString(Escaped(lines[i])));
        from = end + 1;
    }
    return 0;
}
