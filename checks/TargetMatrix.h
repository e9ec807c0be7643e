#pragma once

// The portability matrix: one line per target saying whether each check passed and, where one
// failed, its first error.

#include "ShaderTarget.h"

#include <QList>
#include <QString>
#include <QStringList>

enum class Verdict { Passed, Failed, NotRun };

struct TargetRow {
    ShaderTarget target;
    Verdict validator = Verdict::NotRun;
    Verdict driver = Verdict::NotRun;
    QString firstError; // the first error line of either check; empty when none failed
};

// Aligned columns under "Target  Validator  Driver  First error", for a terminal's fixed-width
// font; otherwise one line per row that reads well in any font:
// "gl:330:core: validator FAILED, driver FAILED - ERROR: 0:3: ...".
enum class MatrixLayout { Columns, Sentences };
QStringList FormatMatrix(const QList<TargetRow>& rows, MatrixLayout layout = MatrixLayout::Columns);

// The verdict of a check's output: Failed when a line reports an error.
Verdict VerdictOf(const QStringList& lines);
