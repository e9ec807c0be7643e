#pragma once

#include "TextFile.h"

#include <QByteArray>
#include <QList>
#include <QLatin1StringView>
#include <QString>

// How a shader file was stored, so saving gives back the same bytes.
enum class LineEndStyle { CrLf, Lf, Cr };

// The document record of one shader page.
struct TSyntaxRichEdit {
    QString FileName; // full path; empty while the page is untitled
    bool Changed = false;
    // A new page is saved as UTF-8 with CR LF; an opened file keeps its own form.
    TextEncoding encoding = TextEncoding::Utf8;
    LineEndStyle lineEnd = LineEndStyle::CrLf;
};

// A shader file's text in the editor's form (lines separated by '\n') plus how it was stored.
struct DecodedShaderText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    LineEndStyle lineEnd = LineEndStyle::CrLf; // the first break's; lines added later take it
    // The break after each line, in order, when the file mixes them; empty when every break
    // is lineEnd's.
    QList<LineEndStyle> lineEnds;
};

// Decodes UTF-8 when the bytes are valid UTF-8, otherwise Latin-1; the line-end style is the
// first one found (CR LF for a file without line breaks). Throws LumenpadError for a file
// holding NUL bytes, which the editor could not give back unchanged.
DecodedShaderText DecodeShaderText(const QByteArray& bytes, const QString& pathForMessages);

// The inverse of DecodeShaderText for a file with one kind of break. Text that Latin-1 cannot
// hold is written as UTF-8 and encoding is updated to say so, rather than losing characters.
QByteArray EncodeShaderText(const QString& text, TextEncoding& encoding, LineEndStyle lineEnd);

// Text that already carries its breaks, encoded as EncodeShaderText does.
QByteArray EncodeShaderFileText(const QString& text, TextEncoding& encoding);

// The characters of a break of the style.
QLatin1StringView LineEndText(LineEndStyle style);
