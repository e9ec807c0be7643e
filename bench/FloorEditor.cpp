// The floor the editor is measured against: a bare Qt main window around a QPlainTextEdit,
// nothing else (no colouring, no gutter, no graphics context).
//
//   lumenpad-floor [FILE]          start up as the editor does; with LUMENPAD_STARTUP_TIMING set,
//                                  writes the same "startup-event NAME NS" lines (window-shown,
//                                  window-painted, first-coloured-screen for the first screen
//                                  of the file's text) and "peak-rss-kb N"; with
//                                  LUMENPAD_STARTUP_EXIT it closes once that screen is painted
//   lumenpad-floor --keys FILE     keystrokes to repaint, as lumenpad-bench --keys measures them

#include "KeyProbe.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

bool g_timing = false;

void Note(const char* name)
{
    if (!g_timing)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "startup-event %s %lld\n", name, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
}

long PeakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

class FirstPaints : public QObject {
public:
    explicit FirstPaints(QPlainTextEdit& editor) : editor_(editor) { editor.viewport()->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || done_)
            return false;
        if (!painted_) {
            painted_ = true;
            Note("window-painted");
        }
        if (!editor_.document()->isEmpty()) {
            done_ = true;
            Note("first-coloured-screen");
        }
        if (!done_ && !hasFile_)
            done_ = true;
        if (done_) {
            QTimer::singleShot(0, &editor_, [] {
                if (g_timing)
                    std::fprintf(stderr, "peak-rss-kb %ld\n", PeakRssKb());
                if (std::getenv("LUMENPAD_STARTUP_EXIT"))
                    QApplication::quit();
            });
        }
        return false;
    }

public:
    bool hasFile_ = false;

private:
    QPlainTextEdit& editor_;
    bool painted_ = false;
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    g_timing = std::getenv("LUMENPAD_STARTUP_TIMING") != nullptr;
    Note("main-entered");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    const bool keys = !args.isEmpty() && args[0] == QStringLiteral("--keys");
    const QString path = args.value(keys ? 1 : 0);

    QMainWindow window;
    auto* editor = new QPlainTextEdit;
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    editor->setFont(font);
    window.setCentralWidget(editor);
    window.resize(737, 579);
    FirstPaints paints(*editor);
    if (!path.isEmpty()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        paints.hasFile_ = true;
        editor->setPlainText(QString::fromUtf8(file.readAll()));
    }
    window.show();
    Note("window-shown");
    if (keys) {
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
        MeasureKeysToPaint(*editor);
        return 0;
    }
    return QApplication::exec();
}
