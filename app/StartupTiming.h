#pragma once

class QApplication;
class TMainForm;

// Start-up measurement for the benchmark: with LUMENPAD_STARTUP_TIMING set, the program
// writes "startup-event NAME NANOSECONDS" lines (CLOCK_REALTIME, comparable with the
// launcher's clock) to standard error for: main entered, window shown, editor first painted,
// deferred step done, first screen of a reopened file painted, every line coloured (and a
// loading file whole); then "peak-rss-kb N". With LUMENPAD_STARTUP_EXIT also set, the
// window closes itself once everything is coloured. Without the variables nothing happens.
bool StartupTimingRequested();
void NoteStartupEvent(const char* name);
void WatchStartup(TMainForm& window);
