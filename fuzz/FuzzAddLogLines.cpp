// A driver's info log into the output panel: one panel line per LF-ended piece plus the last
// piece, nothing for an empty log, CRs kept, every byte accounted for.

#include "DriverCheck.h"
#include "FuzzSupport.h"
#include "OutputPanel.h"

#include <QApplication>
#include <QTextDocument>

#include <algorithm>


// Fontconfig keeps a few blocks for the life of the process once the panel has measured text.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

namespace {
// Left alive to the end of the process: Qt's own globals go before static destructors run.
QApplication* app = nullptr;
OutputPanel* panel = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(*argc, *argv);
    panel = new OutputPanel;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string log(reinterpret_cast<const char*>(data), size);
    panel->clearLines();
    // A line already there stays first.
    panel->appendLine(QStringLiteral("header"));
    AddLogLines(log, *panel);

    const QStringList& lines = panel->lines();
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
    // Every line written is a line shown (a line may show as several where it holds one of
    // the text document's own separators).
    FUZZ_CHECK(panel->document()->blockCount() >= lines.size(),
               QStringLiteral("%1 blocks shown for %2 lines").arg(panel->document()->blockCount()).arg(lines.size()));
    return 0;
}
