#pragma once

// A driver check in a process of its own (the program lumenpad-driver, next to the editor),
// so that whatever the driver's compiler does with a hostile shader (overflow its stack, take
// all memory, never end) costs that process and not the caller's unsaved work. The helper
// limits its own address space and core dumps; the caller's waiter and time limit end it, and
// its whole process group with it, as they end the validator.
//
// The helper program serves: lumenpad-driver --serve ADDRESS_SPACE reads framed requests
// (FrameDriverMessage) from its input and writes one framed reply for each; the end of its
// input ends it.

#include "DriverRequest.h"
#include "ValidatorRunner.h"

#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

// The helper program's name in the program directory.
inline constexpr const char* kDriverHelperName = "lumenpad-driver";

// How long a driver check may run before it is stopped.
inline constexpr int kDefaultDriverTimeoutMs = 30000;

// The address space a check may take: about three times what Mesa's llvmpipe reserves for a
// large real shader, far below what a runaway compile would take from the machine.
inline constexpr quint64 kDriverHelperAddressSpace = quint64(2) << 30;

// The helper's exit code when an allocation failed.
inline constexpr int kDriverHelperOutOfMemory = 3;

struct IsolatedDriverResult {
    // The output panel's lines: the check's own when the helper answered, else one line that
    // says what became of the check.
    QStringList lines;
    // Non-empty: the check could not run at all (no context, a failing driver call), as the
    // check in the editor's own process reports it.
    QString failure;
    bool answered = false; // the helper answered; false: lines hold the one line
    DriverOutcome outcome = DriverOutcome::Checked; // as the helper's check reported it
};

// The helper, started once and kept: loading the driver and opening its display take far
// longer than a check, so later checks go to the same process. A helper that crashed, ran out
// of memory, outran the time limit, was cancelled or answered nonsense is stopped with its
// whole process group, and the next check starts a fresh one. The helper never outlives this
// object, nor the process that owns it.
class IsolatedDriver {
public:
    explicit IsolatedDriver(QString helperProgram);
    ~IsolatedDriver();
    IsolatedDriver(const IsolatedDriver&) = delete;
    IsolatedDriver& operator=(const IsolatedDriver&) = delete;

    // Starts the helper, limited to addressSpace bytes (0: no limit), unless one with that
    // limit runs; does not wait for it to load the driver. False when it could not start.
    bool start(quint64 addressSpace);
    // Runs the request, starting the helper first where none with the request's limit runs;
    // waits with wait (blocking by default).
    IsolatedDriverResult check(const DriverRequest& request, int timeoutMs = kDefaultDriverTimeoutMs,
                               const ValidatorWaiter& wait = {});
    // Ends the helper: its input closed, a moment to go on its own, then its process group killed.
    void stop();
    // The helper's process id; 0 when none runs.
    qint64 processId() const;

private:
    void kill();

    QString program_;
    std::unique_ptr<QProcess> process_;
    quint64 addressSpace_ = 0;
    QString startError_;
};
