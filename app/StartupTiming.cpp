#include "StartupTiming.h"

#include "LineHighlighter.h"
#include "MainForm.h"
#include "ShaderEditor.h"

#include <QFile>
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
    QObject::connect(&window, &TMainForm::startStepDone, &window, [&window] {
        NoteStartupEvent("start-step-done");
        finishWhenColoured(window);
    });
}
