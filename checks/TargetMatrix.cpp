#include "TargetMatrix.h"

#include "CheckVerdict.h"

namespace {

constexpr int kTargetWidth = 14;
constexpr int kVerdictWidth = 11;

QString VerdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Passed: return QStringLiteral("passed");
    case Verdict::Failed: return QStringLiteral("FAILED");
    case Verdict::NotRun: return QStringLiteral("not run");
    }
    return {};
}

} // namespace

Verdict VerdictOf(const QStringList& lines)
{
    return LinesReportError(lines) ? Verdict::Failed : Verdict::Passed;
}

QStringList FormatMatrix(const QList<TargetRow>& rows, MatrixLayout layout)
{
    if (layout == MatrixLayout::Sentences) {
        QStringList lines;
        for (const TargetRow& row : rows) {
            QString line = QString::fromStdString(TargetName(row.target)) + QStringLiteral(": validator ")
                         + VerdictText(row.validator) + QStringLiteral(", driver ") + VerdictText(row.driver);
            if (!row.firstError.isEmpty())
                line += QStringLiteral(" - ") + row.firstError;
            lines.append(line);
        }
        return lines;
    }
    QStringList lines{QStringLiteral("Target").leftJustified(kTargetWidth) + QStringLiteral("Validator").leftJustified(kVerdictWidth)
                      + QStringLiteral("Driver").leftJustified(kVerdictWidth) + QStringLiteral("First error")};
    for (const TargetRow& row : rows) {
        lines.append((QString::fromStdString(TargetName(row.target)).leftJustified(kTargetWidth - 1) + QLatin1Char(' ')
                      + VerdictText(row.validator).leftJustified(kVerdictWidth)
                      + VerdictText(row.driver).leftJustified(kVerdictWidth) + row.firstError)
                         .trimmed());
    }
    return lines;
}
