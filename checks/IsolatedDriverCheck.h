#pragma once

// A driver check in a process of its own (the program lumenpad-driver, next to the editor),
// so that whatever the driver's compiler does with a hostile shader (overflow its stack, take
// all memory, never end) costs that process and not the caller's unsaved work. The helper
// limits its own address space and core dumps; the caller's waiter and time limit end it, and
// its whole process group with it, as they end the validator.

#include "DriverRequest.h"
#include "ValidatorRunner.h"

#include <QString>
#include <QStringList>

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
};

// Runs the request with the helper program at path; waits with wait (blocking by default).
// The helper limits its address space to the request's.
IsolatedDriverResult RunIsolatedDriverCheck(const QString& helperProgram, const DriverRequest& request,
                                            int timeoutMs = kDefaultDriverTimeoutMs, const ValidatorWaiter& wait = {});
