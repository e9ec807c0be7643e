#pragma once

class QPlainTextEdit;

// Keystrokes in the middle of an editor's text, each followed by the repaint it causes: prints
// "key-to-paint-p50-us", "key-to-paint-p99-us" (from sending the key to the end of the event
// loop's turn that painted) and "key-paint-area-px" (the median area repainted per key, over
// every widget of the window). The editor must be shown and its text whole.
void MeasureKeysToPaint(QPlainTextEdit& editor, int keys = 200);
