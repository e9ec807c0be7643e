#pragma once

// The driver's compiler runs inside lumenpad-check; a shader that crashes it (a stack overflow
// in Mesa's compiler, an allocation that failed) would otherwise end the run with a bare
// signal. With the report installed, such a crash prints which check it was and ends the run
// with the trouble exit code.

#include <QString>

// Installs the handlers, on a stack of their own so a stack overflow can still be reported.
void InstallDriverCrashReport(int exitCode);

// The driver check under way from now on, named as the output names it ("driver: a.vert").
void NoteDriverCheck(const QString& what);
