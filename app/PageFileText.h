#pragma once

// A shader file's text in an editor, kept so that saving gives back the bytes that were read:
// each line remembers its own break (CR LF, LF or CR) when the file mixes them, and the
// characters the text document would itself take for breaks (U+2029, U+FDD0, U+FDD1) stay
// characters, shown as U+FFFD.

#include "ShaderDocument.h"

#include <QString>

#include <functional>

class QPlainTextEdit;
class QTextDocument;

// Replaces the editor's text with the file's; the undo history starts afresh. put puts the
// text into the editor, whole when asked (the marks then go on at once), otherwise as it
// likes (progressively, say: a text that needs no marks gets none).
using PutPageText = std::function<void(const QString& text, bool whole)>;
void SetPageFileText(QPlainTextEdit& editor, const DecodedShaderText& decoded, const PutPageText& put);

// The text with '\n' between lines, as the checks read it.
QString PageText(const QTextDocument& document);

// The text as the file holds it: each line's own break; lines added by editing take
// newLineEnd, the file's first style.
QString PageTextWithBreaks(const QTextDocument& document, LineEndStyle newLineEnd);
