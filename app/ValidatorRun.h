#pragma once

// The validator buttons' run: the shared validator runner, waited for with a dialog that
// keeps the window painted, and its log shown in the output panel.

#include "ValidatorRunner.h"

#include <QByteArray>
#include <QString>
#include <functional>

class OutputPanel;
class QProgressDialog;
class QWidget;

struct ValidatorRunOptions {
    // How long the validator may run before it is stopped.
    int timeoutMs = kDefaultValidatorTimeoutMs;
    // Called once the wait dialog is shown (only when the validator outlasts a short quiet
    // wait); lets tests press its Cancel button.
    std::function<void(QProgressDialog&)> onWaitShown;
    // How long the run is waited for before the dialog shows (the window is not painted
    // meanwhile): long enough that a usual run shows no dialog at all.
    int quietWaitMs = 200;
    // What the wait dialog says; the driver checks wait with the same dialog.
    QString waitText = QStringLiteral("Waiting for glslValidate to finish...");
};

// Waits for a started validator (or the driver helper's answer) as the validator buttons do:
// quietly for a moment, then with a window-modal dialog (Cancel, the time limit) that keeps
// the window painted.
ValidatorWaiter WaitDialogFor(QWidget* window, const ValidatorRunOptions& options);

// Checks one page's text with glslvalidate in validatorDir and shows its log in the panel
// under the heading "glslValidate output :".
//
// The text is written to validatorDir/tempFile (atomically; a failure throws the
// cannot-create message and starts nothing). A failed start is not reported by itself: the
// log that is (or is not) there afterwards tells the user. While the validator runs, the
// window is blocked by a window-modal wait dialog but keeps painting; Cancel or the time limit
// stops the validator and the panel then holds one line saying so, without reading any log.
// A log that cannot be read throws the cannot-open message and leaves the panel as it was.
void RunValidator(QWidget* window, const QString& validatorDir, const ValidatorPage& page,
                  const QByteArray& pageText, OutputPanel& panel, const ValidatorRunOptions& options = {});
