#pragma once

// The toolbar's checks without a window, as lumenpad-check runs them: each gives the lines
// the output panel would show and a verdict. A check that cannot run at all throws
// LumenpadError with the reason.

#include "DriverCheck.h"
#include "TargetDriverCheck.h"
#include "ValidatorRunner.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct CheckReport {
    QStringList lines;         // as the output panel would hold them, CRs included
    bool reportsError = false; // an error in the log, or the validator saying the shader failed
    bool ran = true;           // false: the driver had no context for the target, or none applies
};

// glslvalidate (the program at validatorProgram) on fileText, in a temporary directory of its
// own as tmp.vs or tmp.fs, the way the editor runs it in the validator directory.
// The waiter decides how to wait (see ValidatorRunner.h); blocking by default.
CheckReport RunValidatorCheck(const QString& validatorProgram, const ValidatorPage& page, const QByteArray& fileText,
                              int timeoutMs = kDefaultValidatorTimeoutMs, const ValidatorWaiter& wait = {});

// The headless device context and one rendering context on it, as the window holds them.
class DriverSession {
public:
    // Loads the graphics libraries and makes the contexts; throws when EGL offers no
    // headless display or no context can be made.
    DriverSession();
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    CheckReport checkSingle(ShaderKind kind, const QStringList& lines);
    CheckReport checkLinked(const QStringList& vertexLines, const QStringList& fragmentLines);
    // Any stages, any target, in a context made for the target (see TargetDriverCheck.h).
    CheckReport checkTarget(const ShaderTarget& target, const QList<StageSource>& sources, bool link);

private:
    void* dc_ = nullptr;
    void* rc_ = nullptr;
};

// The message when EGL offers no headless display.
inline constexpr const char* kNoHeadlessDisplayMessage =
    "EGL offers no headless display (Mesa surfaceless or an EGL device); the driver checks cannot run";
