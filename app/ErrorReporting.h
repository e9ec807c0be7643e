#pragma once

#include "LumenpadError.h"

#include <functional>

class Dialogs;

// Runs one event handler. A failure raised inside ends the handler there and is shown in
// the modal error box titled "Lumenpad"; nothing escapes into the Qt event loop.
// This is the one place that turns failures into what the user sees.
void RunHandler(Dialogs& dialogs, const std::function<void()>& handler);
