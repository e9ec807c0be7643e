#pragma once

// The one way the program runs the validator, for the editor and for lumenpad-check alike:
// the text goes into a temporary file in the validator's working directory, the validator is
// started there without a shell as the leader of its own process group, and it is waited for
// within a time limit. However the run ends, the whole process group is stopped (so a
// validator script cannot leave a compiler behind) and the temporary file is deleted.

#include "ShaderTarget.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;

// What differs between the vertex and the fragment run. Names are relative to the working
// directory.
struct ValidatorPage {
    QString tempFile;      // "tmp.vs": the page's text while the validator runs
    QStringList arguments; // {"/v", "tmp.vs"}
    QString logFile;       // "vertex.log": written by the validator
};

const ValidatorPage& VertexValidatorPage();
const ValidatorPage& FragmentValidatorPage();

// The run for a stage and a target. On auto, a vertex or fragment page is exactly the one
// above; a target adds "--target NAME"; other stages name themselves ("--stage geometry",
// "tmp.geom", "geometry.log").
ValidatorPage ValidatorPageFor(ShaderStage stage, const ShaderTarget& target);

inline constexpr int kDefaultValidatorTimeoutMs = 60000;

enum class ValidatorOutcome {
    Ended,      // the validator ended on its own (exit code and status below)
    NotStarted, // the program could not be started
    Cancelled,  // the waiter gave up on the user's word
    TimedOut,   // the time limit ran out
};

// Whether a process that stays after answering (the driver helper) has answered; it may read
// what the process wrote. Empty for a process whose end is its answer.
using ProcessAnswered = std::function<bool()>;

// How a caller waits for the started validator: return Ended once it has ended (or answered,
// where answered is given), Cancelled or TimedOut to have it stopped. remainingMs is what is
// left of the time limit. The default waits blocking; the editor waits with a dialog that
// keeps the window painted.
using ValidatorWaiter = std::function<ValidatorOutcome(QProcess& process, int remainingMs, const ProcessAnswered& answered)>;

// Waits blocking up to ms for the process to end or answer; true when it did.
bool WaitForEndOrAnswer(QProcess& process, int ms, const ProcessAnswered& answered = {});

// Waits for the process as a caller's waiter would, blocking when wait is empty; Ended with
// the process still running and not answered counts as Cancelled (a waiter that returned early).
ValidatorOutcome WaitForProcess(const ValidatorWaiter& wait, QProcess& process, int remainingMs,
                                const ProcessAnswered& answered = {});

// The process leads its own process group; whatever it started goes with it.
void KillProcessGroup(qint64 pid);

struct ValidatorRun {
    QString program;    // absolute path of the validator
    QString workingDir; // where the temporary file and the log lie
    const ValidatorPage* page = nullptr;
    QByteArray text;    // the page's text as the file holds it
    int timeoutMs = kDefaultValidatorTimeoutMs;
};

struct ValidatorResult {
    ValidatorOutcome outcome = ValidatorOutcome::NotStarted;
    int exitCode = 0;
    bool crashed = false;   // ended by a signal
    QString startError;     // why it could not be started
};

// Runs the validator once. The log of an earlier run is removed first. Writing the temporary
// file fails with the cannot-create message and starts nothing, as does a temporary file or
// log name taken by something that is not the user's own.
ValidatorResult RunValidatorProcess(const ValidatorRun& run, const ValidatorWaiter& wait = {});

// A log is read up to this size; a line at the end says when the rest was left unread.
inline constexpr qint64 kMaxValidatorLogBytes = qint64(16) << 20;

// The log the validator wrote, as lines; throws LumenpadError with the cannot-open message.
// Only a regular file of the user's own counts as the log (never a link, a FIFO or a file
// another user planted in a shared directory).
QStringList ReadValidatorLog(const QString& workingDir, const ValidatorPage& page);

// The one line shown for a validator that was killed by a signal: whatever log lies there is
// not its result.
QString ValidatorCrashLine(const ValidatorResult& result);

// "60 seconds", "1 second", "1500 milliseconds": a time limit as a message names it.
QString TimeLimitText(int ms);
