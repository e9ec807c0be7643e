#pragma once

// The main window's device context: the EGL display of the window system the window is shown
// on (X11, Wayland), or a headless display (offscreen, no window system, CI). Held as MainDC.

class QWidget;

// The display for the window's platform; null when EGL offers none. Needs
// LoadGraphicsLibraries to have run.
void* GetDC(QWidget* window);

// Gives the display back; null is harmless.
void ReleaseDC(void* dc);
