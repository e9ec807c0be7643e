#include "StartupTiming.h"

#include "LineHighlighter.h"
#include "MainForm.h"
#include "ShaderEditor.h"

#include <QEvent>
#include <QFile>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

bool StartupTimingRequested()
{
    return std::getenv("LUMENPAD_STARTUP_TIMING") != nullptr;
}

void NoteStartupEvent(const char* name)
{
    if (!StartupTimingRequested())
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "startup-event %s %lld\n", name,
                 static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
}

namespace {
long peakRssKb()
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

// Notes the first paint of the vertex page's editor (the window painted) and the first paint
// of the active page once the start step has put a file's text in (its first coloured screen:
// the highlighter colours the lines in view before they are painted). The time is the paint's
// start.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(TMainForm& window) : QObject(&window), window_(window)
    {
        for (ShaderEditor* editor : {window.ShaderRichEdit, window.ShaderRichEditFS})
            editor->viewport()->installEventFilter(this);
    }
    void startStepDone() { stepDone_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        if (!windowPainted_ && watched == window_.ShaderRichEdit->viewport()) {
            windowPainted_ = true;
            NoteStartupEvent("window-painted");
        }
        ShaderEditor* active = window_.ShaderRichEdit->isVisible() ? window_.ShaderRichEdit : window_.ShaderRichEditFS;
        if (stepDone_ && !screenColoured_ && watched == active->viewport() && !active->document()->isEmpty()) {
            screenColoured_ = true;
            NoteStartupEvent("first-coloured-screen");
        }
        return false;
    }

private:
    TMainForm& window_;
    bool stepDone_ = false;
    bool windowPainted_ = false;
    bool screenColoured_ = false;
};

void finishWhenColoured(TMainForm& window)
{
    const bool pending = window.ShaderRichEdit->highlighter().isPending() ||
                         window.ShaderRichEditFS->highlighter().isPending();
    if (pending) {
        QTimer::singleShot(1, &window, [&window] { finishWhenColoured(window); });
        return;
    }
    NoteStartupEvent("all-lines-coloured");
    std::fprintf(stderr, "peak-rss-kb %ld\n", peakRssKb());
    if (std::getenv("LUMENPAD_STARTUP_EXIT"))
        window.close();
}
} // namespace

void WatchStartup(TMainForm& window)
{
    if (!StartupTimingRequested())
        return;
    auto* paints = new PaintWatch(window);
    QObject::connect(&window, &TMainForm::startStepDone, &window, [&window, paints] {
        NoteStartupEvent("start-step-done");
        paints->startStepDone();
        finishWhenColoured(window);
    });
}
