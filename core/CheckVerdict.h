#pragma once

// Whether a check's output reports an error. The checks themselves draw no verdict; the
// command line needs one for its exit status.

#include <QStringList>
#include <QStringView>

// A located diagnostic of severity Error, or a line without a location that still reads as
// one: "error:" or "ERROR:" not preceded by a letter (Mesa's link messages, which it may run
// together as "...shader\n.error: ...", glslang's summary and link lines) or NVIDIA's
// "error C5052" with no usable line ("(0) : error C5052: ..."). Located warnings and notes
// are not errors, whatever their text says.
bool LineReportsError(QStringView line);

bool LinesReportError(const QStringList& lines);

// The first line that reports an error, without CR characters; empty when none does.
QString FirstErrorLine(const QStringList& lines);
