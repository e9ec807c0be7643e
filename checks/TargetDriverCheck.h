#pragma once

// The driver checks for a chosen target: each stage compiled by the installed OpenGL driver in
// a context made for the target (a desktop core or compatibility context of its version, or an
// OpenGL ES context), then all of them linked into one program. A text without #version is
// compiled as the target's version with its own line numbers. The window's own context and
// the ARB shader objects stay the way the toolbar's checks on "auto" work (DriverCheck.h).

#include "DriverCheck.h"
#include "IncludeExpander.h"
#include "ShaderTarget.h"

#include <QList>
#include <QString>
#include <QStringList>

struct StageSource {
    ShaderStage stage = ShaderStage::Vertex;
    QStringList lines; // the page's lines, as DocumentLines gives them
    // After includes were expanded (the mapped form): where each line came from, so the
    // driver's messages name the file and line they stand in. Without includes: empty.
    ExpandedShader expansion;
};

// The line that opens a targeted check's output after the driver's header.
QString TargetLine(const ShaderTarget& target);

// Compiles every source for the target on the display dc; with link, links them into one
// program. A single source is linked alone, as the single-page checks do, where the API
// allows a program of that stage alone (OpenGL ES: a compute shader only).
// A target the driver has no context for, and a Vulkan target, give one line saying so.
DriverLog CheckForTarget(void* dc, const ShaderTarget& target, const QList<StageSource>& sources, bool link);

// The stage's title in the output: "Vertex shader...", "Geometry shader...".
QString StageHeading(ShaderStage stage);
