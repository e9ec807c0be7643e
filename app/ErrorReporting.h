#pragma once

#include <QString>
#include <functional>

class Dialogs;

// The error box text: the message, with a full stop appended when its last character
// sorts after "." (so "... Zeile 12)" gets one and "done." or "ok!" do not).
QString ErrorBoxText(const QString& message);

// Runs one event handler. A failure raised inside ends the handler there and is shown in
// the modal error box titled "Lumenpad"; nothing escapes into the Qt event loop.
// This is the one place that turns failures into what the user sees.
void RunHandler(Dialogs& dialogs, const std::function<void()>& handler);
