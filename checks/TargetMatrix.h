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

// "Target        Validator  Driver     First error" and one aligned line per row.
QStringList FormatMatrix(const QList<TargetRow>& rows);

// The verdict of a check's output: Failed when a line reports an error.
Verdict VerdictOf(const QStringList& lines);
