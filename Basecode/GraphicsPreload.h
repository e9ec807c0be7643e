#pragma once

// Mesa loads its driver and LLVM the first time an EGL display is initialised, which takes a
// good part of the time to a shown window. The preload does that on a worker thread while the
// window is being built; the rendering context is still made where it always was, on the
// user-interface thread, and finds the libraries and driver ready.

// Starts loading the graphics libraries (as LoadGraphicsLibraries does) and initialising a
// headless EGL display on a worker thread. Call once, before anything else uses the binding;
// until JoinGraphicsPreload returns, nothing else may touch it.
void StartGraphicsPreload(const char* glName, const char* gluName);

// Waits for the preload. False when none was started (the caller loads the libraries itself).
// Whatever the worker threw is thrown here, on the caller's thread, so a failure is reported
// where and when the libraries' loading reported it before.
bool JoinGraphicsPreload();
