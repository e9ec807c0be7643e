#pragma once

#include <QString>
#include <QStringList>

// The files named on the command line (`lumenpad [FILE...]`, after Qt has taken its own
// options), made absolute against the directory the program was started in. Each goes to the
// page its name says (StageFromFileName: "x.vert", "x.frag.glsl"), others to the active page.
QStringList CommandLineFiles(const QStringList& arguments, const QString& startDirectory);
