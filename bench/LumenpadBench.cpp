// Times the syntax colouring on one shader file and prints one figure per line as
// "name: value unit".
//
//   lumenpad-bench [--lists DIR] SHADER     measure (word lists from DIR; default: the working
//                                           directory when it holds them, else the program directory)
//   lumenpad-bench --generate N OUT         write a synthetic shader of N lines to OUT
//   lumenpad-bench --driver-check ROUNDS    time the linked driver check (DriverCheckBench.cpp)
//   lumenpad-bench --keys FILE [KEYS]       the whole window (run in a program directory with its
//                                           config.txt and word lists) opens FILE; keystrokes in
//                                           its middle to the repaint (see KeyProbe.h)
//
// Figures: the colouring core and a plain tokeniser over the same lines (throughput), the editor
// after its text is set (lines in view coloured and shown; all lines coloured with the event loop
// running, and the longest the loop was kept from input meanwhile), one keystroke in the middle
// of the text (with automatic completion on, as the editor starts), and the process's peak
// resident memory.

#include "Completion.h"
#include "DriverCheckBench.h"
#include "KeyProbe.h"
#include "MainForm.h"
#include "LanguageSyntax.h"
#include "LineColouring.h"
#include "EditorPalette.h"
#include "LineHighlighter.h"
#include "ShaderEditor.h"
#include "LumenpadError.h"
#include "ShaderGenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

// Keeps the compiler from dropping loops whose results nothing else reads.
volatile std::size_t g_keep = 0;

// CPU time of this thread: unlike the wall clock, it leaves out the time other processes on a
// busy machine take from it.
qint64 ThreadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void Print(const char* name, double value, const char* unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double PeakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// The floor: one pass over the same lines that only finds the words, as any colouring must.
std::size_t Tokenise(QStringView line)
{
    const char16_t* text = line.utf16();
    const qsizetype n = line.size();
    std::size_t words = 0;
    qsizetype i = 0;
    while (i < n) {
        if (!IsWordCharacter(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n && IsWordCharacter(text[i]))
            ++i;
        words += std::size_t(i - start) ^ text[start];
    }
    return words;
}

// Runs body over all lines, in rounds of at least a tenth of a second of this thread's CPU
// time; returns MB (10^6 bytes of the file) per CPU second of the best of five rounds, which
// keeps other processes on the machine out of the figure.
template <typename Body>
double Throughput(const QStringList& lines, qint64 fileBytes, Body body)
{
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        const qint64 start = ThreadCpuNs();
        int passes = 0;
        do {
            for (const QString& line : lines)
                body(line);
            ++passes;
        } while (ThreadCpuNs() - start < 100'000'000);
        best = std::max(best, double(fileBytes) * passes / (double(ThreadCpuNs() - start) / 1e9) / 1e6);
    }
    return best;
}

bool HasLists(const QString& dir)
{
    return QFileInfo::exists(QDir(dir).filePath(QString::fromLatin1(kDataTypesFile)));
}

int Generate(int lines, const QString& path)
{
    QFile out(path);
    if (lines <= 0 || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    out.write(GenerateShader(lines));
    return 0;
}

// The editor: the text is set, the complete pass runs as after opening a file, then keystrokes.
void MeasureEditor(QString text)
{
    // The program's own editor, with its highlighter, its line-number gutter and completion.
    ShaderEditor editor;
    editor.setCompletionWords(CompletionWords::FromWordLists(nullptr));
    editor.resize(800, 600);
    ApplyColourScheme(&editor, 0);
    editor.show();
    QApplication::processEvents();
    LineHighlighter* highlighter = &editor.highlighter();

    QElapsedTimer clock;
    clock.start();
    editor.setPlainText(text);
    Print("set-text-ms", clock.nsecsElapsed() / 1e6, "ms");
    text.clear(); // the program keeps no copy of the text besides the document's

    // A 1 ms timer stands for input: the longest gap between its ticks is the longest time the
    // window could not have answered.
    QElapsedTimer sinceTick;
    qint64 longestGapNs = 0;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });

    clock.restart();
    const qint64 cpuStart = ThreadCpuNs();
    sinceTick.start();
    highlighter->HighlightAllLines();
    editor.viewport()->repaint();
    Print("first-screen-ms", clock.nsecsElapsed() / 1e6, "ms");
    Print("first-screen-cpu-ms", (ThreadCpuNs() - cpuStart) / 1e6, "ms");

    probe.start();
    if (highlighter->isPending()) {
        QEventLoop loop;
        QObject::connect(highlighter, &LineHighlighter::allLinesColoured, &loop, &QEventLoop::quit);
        loop.exec();
    }
    Print("full-colour-ms", clock.nsecsElapsed() / 1e6, "ms");
    Print("full-colour-cpu-ms", (ThreadCpuNs() - cpuStart) / 1e6, "ms");
    probe.stop();
    longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
    Print("longest-input-wait-ms", longestGapNs / 1e6, "ms");

    // Keystrokes in the middle of the text, as the editor gets them; the recolouring of the
    // line happens inside. The view is moved there first; painting follows later from the
    // event loop and is not counted.
    const int middle = editor.document()->blockCount() / 2;
    editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(middle)));
    editor.ensureCursorVisible();
    QApplication::processEvents();
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int i = 0; i < 200; ++i) {
        QTextCursor cursor(editor.document()->findBlockByNumber(middle + i % 20));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, std::min(8, cursor.block().length() - 1));
        editor.setTextCursor(cursor);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        clock.restart();
        const qint64 cpuBefore = ThreadCpuNs();
        QApplication::sendEvent(&editor, &press);
        cpuTimes.push_back((ThreadCpuNs() - cpuBefore) / 1e3);
        times.push_back(clock.nsecsElapsed() / 1e3);
        QApplication::sendEvent(&editor, &release);
        if (i % 20 == 0)
            QApplication::processEvents();
    }
    auto mean = [](const std::vector<double>& v) {
        double sum = 0;
        for (double t : v)
            sum += t;
        return sum / double(v.size());
    };
    auto p99 = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() * 99 / 100];
    };
    Print("keystroke-us", mean(times), "us");
    Print("keystroke-p99-us", p99(times), "us");
    Print("keystroke-cpu-us", mean(cpuTimes), "us");
    Print("keystroke-cpu-p99-us", p99(cpuTimes), "us");
}

// The core against the floor, over the lines of the file.
void MeasureCore(const QByteArray& bytes)
{
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    const LineColourer colourer = LineColourer::FromWordLists();
    std::vector<ColourSpan> spans;
    std::size_t sink = 0;
    const double floor = Throughput(lines, bytes.size(), [&](const QString& line) { sink += Tokenise(line); });
    const double core = Throughput(lines, bytes.size(), [&](const QString& line) {
        colourer.colourLine(line, spans);
        sink += spans.size();
    });
    Print("core-mb-s", core, "MB/s");
    Print("floor-mb-s", floor, "MB/s");
    Print("core-vs-floor", floor / core, "x");
    g_keep = sink;
}

int Measure(const QString& shaderPath, QString listDir)
{
    if (listDir.isEmpty())
        listDir = HasLists(QDir::currentPath()) ? QDir::currentPath() : QStringLiteral(LUMENPAD_PROGRAM_DIR);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(listDir);
    try {
        LoadWordLists();
    } catch (const LumenpadError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    QDir::setCurrent(previous);
    const qsizetype words = DataTypes.size() + TypeQualifiers.size() + FunctionNames.size() + StateVars.size();
    std::fprintf(stderr, "word lists: %lld entries from %s\n", static_cast<long long>(words), qPrintable(listDir));
    if (words == 0) {
        std::fprintf(stderr, "the word lists are empty; give a folder with real lists by --lists\n");
        return 1;
    }

    QFile file(shaderPath);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(shaderPath));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    Print("lines", double(bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1)), "lines");
    Print("file-kb", double(bytes.size()) / 1024.0, "KiB");

    MeasureEditor(QString::fromUtf8(bytes));
    // The editor's peak, before the core measurement holds a second copy of the lines.
    Print("peak-rss-mb", PeakRssMb(), "MB");
    MeasureCore(bytes);
    return 0;
}

// The real window: the file is opened by the start step, as a file named on the command line.
int MeasureWindowKeys(const QString& path, int keys)
{
    try {
        LoadWordLists();
    } catch (const LumenpadError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    QTemporaryDir scratch;
    MainFormOptions options;
    options.files = {QFileInfo(path).absoluteFilePath()};
    options.settingsWriteDir = scratch.path();
    options.preferencesFile = scratch.filePath(QStringLiteral("lumenpad.conf"));
    TMainForm window(options);
    window.show();
    ShaderEditor* editor = window.ShaderRichEdit;
    QElapsedTimer waited;
    waited.start();
    // A file still loading counts as pending colouring.
    while ((window.StartTimer->isActive() || editor->highlighter().isPending()) &&
           waited.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    MeasureKeysToPaint(*editor, keys);
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: lumenpad-bench [--lists DIR] SHADER\n       lumenpad-bench --generate N OUT\n"
                         "       lumenpad-bench --driver-check ROUNDS\n"
                         "       lumenpad-bench --keys FILE [KEYS]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);

    if (!args.isEmpty() && args[0] == QStringLiteral("--generate")) {
        if (args.size() != 3)
            return Usage();
        return Generate(args[1].toInt(), args[2]);
    }
    if (args.size() == 2 && args[0] == QStringLiteral("--driver-check"))
        return MeasureDriverCheck(std::max(args[1].toInt(), 1));
    if ((args.size() == 2 || args.size() == 3) && args[0] == QStringLiteral("--keys"))
        return MeasureWindowKeys(args[1], args.size() == 3 ? std::max(args[2].toInt(), 1) : 200);
    QString listDir;
    QString shader;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--lists") && i + 1 < args.size())
            listDir = args[++i];
        else if (shader.isEmpty() && !args[i].startsWith(QStringLiteral("--")))
            shader = args[i];
        else
            return Usage();
    }
    if (shader.isEmpty())
        return Usage();
    return Measure(shader, listDir);
}
