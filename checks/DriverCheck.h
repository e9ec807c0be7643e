#pragma once

// The driver compile-and-link checks: a page's text goes to the GLSL compiler of the installed
// OpenGL driver through the ARB shader-object entry points, and the driver's info logs come
// back line by line as the output panel shows them. The check draws no verdict of its own.

#include <QStringList>

#include <string>

enum class ShaderKind { Vertex, Fragment };

// The line written after the header when the driver lacks the ARB shader objects.
inline constexpr const char* kNoShaderObjectsLine =
    "The OpenGL driver offers no GL_ARB_shader_objects entry points; shaders cannot be compiled.";

// How far a check got. Only a Checked log says anything of the shader; the others hold one
// line that says why the driver did not check it.
enum class DriverOutcome {
    Checked,
    NoShaderObjects, // the driver lacks the entry points the check needs
    NoContext,       // the driver offers no context for the target
    NotApplicable,   // a Vulkan target: no OpenGL driver compiles for it
};

// What a check gives back: the lines of the output, header first, and how far it got.
struct DriverLog {
    QStringList lines;
    DriverOutcome outcome = DriverOutcome::Checked;
    bool checked() const { return outcome == DriverOutcome::Checked; }
};

// Compiles one page as a shader of the given kind and links it alone into a program object
// (ToolButton12Click with the vertex page, ToolButton13Click with the fragment page).
// dc and rc are the window's MainDC and MainRC.
DriverLog CheckSingleShader(void* dc, void* rc, ShaderKind kind, const QStringList& pageLines);

// Compiles both pages and links them into one program object (ToolButton14Click).
DriverLog CheckLinkedShaders(void* dc, void* rc, const QStringList& vertexLines,
                             const QStringList& fragmentLines);

// The text handed to the driver: each line followed by CR LF, UTF-8. An empty last line (the
// page ends with a line break) is not taken, so an empty page gives an empty text.
std::string ShaderSourceText(const QStringList& lines);

// The info log of a shader or program object of the current context; empty when the driver
// has none.
std::string ReadInfoLog(unsigned handle);

// Appends the log's lines: one line per LF-ended piece, a last piece without LF as the last
// line; CR characters stay in the text. An empty log adds nothing.
void AddLogLines(const std::string& log, QStringList& lines);
