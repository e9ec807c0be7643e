#pragma once

#include <QByteArray>

// A synthetic fragment-shader text for timing the colouring: lines of about 80 bytes on
// average, dense with built-in types, qualifiers, function calls and state variables, a
// comment on about one line in four, and now and then a line some thousands of bytes long.
// The same line count and seed give the same text.
QByteArray GenerateShader(int lines, unsigned seed = 20240601u);
