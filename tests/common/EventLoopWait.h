#pragma once

#include <functional>

// Runs the event loop until done() holds or the time is up; returns done().
bool WaitFor(const std::function<bool()>& done, int milliseconds);
