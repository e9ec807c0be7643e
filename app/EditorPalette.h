#pragma once

// The one place that writes an editor's palette from the colour scheme.

class QPlainTextEdit;

// Makes scheme 0, 1 or 2 the current one and gives the editor its background and text
// colour; any other index (-1 included) changes nothing. Does not recolour text already
// coloured.
void ApplyColourScheme(QPlainTextEdit* editor, int index);

// Text the highlighter has not reached yet is drawn in the palette's text colour; this keeps
// it the current scheme's, so it stays readable on the scheme's background.
void SyncEditorTextColour(QPlainTextEdit* editor);
