#pragma once

#include <QString>
#include <QStringList>

// Which page a shader file belongs on, by its name: "x.vert" and "x.vert.glsl" on the vertex
// page, "x.frag" and "x.frag.glsl" on the fragment page (letter case ignored); any other name
// on whichever page is active.
enum class ShaderStage { Vertex, Fragment, Unknown };
ShaderStage StageOfFileName(const QString& path);

// The files named on the command line (`lumenpad [FILE...]`, after Qt has taken its own
// options), made absolute against the directory the program was started in.
QStringList CommandLineFiles(const QStringList& arguments, const QString& startDirectory);
