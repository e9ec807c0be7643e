// The target the checks are made for: its chooser on the toolbar, remembered in the program's
// own settings, and the check of the active page on the standard set of targets.
#include "MainForm.h"

#include "CrashRecovery.h"
#include "GoToLine.h"
#include "LineMarkers.h"
#include "LogLineParser.h"
#include "OutputPanel.h"
#include "Preferences.h"
#include "ShaderChecks.h"
#include "ShaderEditor.h"
#include "TargetMatrix.h"
#include "ValidatorRun.h"
#include "CheckVerdict.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QToolBar>
#include <QToolButton>

void TMainForm::buildTargetControls()
{
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("TargetSeparator"));
    TargetChooser = new QComboBox(ToolBar1);
    TargetChooser->setObjectName(QStringLiteral("TargetChooser"));
    TargetChooser->setEditable(false);
    TargetChooser->setToolTip(QStringLiteral("Target of the checks"));
    TargetChooser->setFocusPolicy(Qt::NoFocus);
    for (const ShaderTarget& target : AllTargets())
        TargetChooser->addItem(QString::fromStdString(TargetName(target)));
    const int remembered = TargetChooser->findText(LoadPreferences(preferencesFile()).target);
    TargetChooser->setCurrentIndex(remembered >= 0 ? remembered : 0);
    ToolBar1->addWidget(TargetChooser);

    CheckAllTargetsButton = new QToolButton(ToolBar1);
    CheckAllTargetsButton->setObjectName(QStringLiteral("CheckAllTargetsButton"));
    CheckAllTargetsButton->setText(QStringLiteral("All targets"));
    CheckAllTargetsButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    CheckAllTargetsButton->setAutoRaise(true);
    CheckAllTargetsButton->setFocusPolicy(Qt::NoFocus);
    CheckAllTargetsButton->setToolTip(QStringLiteral("Check the active page on all targets"));
    ToolBar1->addWidget(CheckAllTargetsButton);
}

ShaderTarget TMainForm::currentTarget() const
{
    return ParseTarget(TargetChooser->currentText().toStdString()).value_or(ShaderTarget{});
}

void TMainForm::TargetChooserChange()
{
    refreshPreferences();
    preferences_.target = QString::fromStdString(TargetName(currentTarget()));
    savePreferences();
}

void TMainForm::CheckAllTargetsClick()
{
    recovery_->writeNow();
    const Page page = activePage();
    const bool vertex = page.editor == ShaderRichEdit;
    const ShaderStage stage = vertex ? ShaderStage::Vertex : ShaderStage::Fragment;
    const QString pageText = page.editor->pageText();
    const QString driverText = DocumentLines(*page.editor->document()).join(QLatin1Char('\n'));
    const QString validator = QDir(ValidatorDir).absoluteFilePath(QStringLiteral("glslvalidate"));
    const bool haveValidator = !ValidatorDir.isEmpty() && QFileInfo(validator).isExecutable();

    page.editor->markers().clear();
    QList<TargetRow> rows;
    bool driverGone = false;
    for (const ShaderTarget& target : StandardTargets()) {
        TargetRow row;
        row.target = target;
        // The page as each check takes it, its includes expanded; an include that fails is the
        // row's first error.
        const ExpandedShader named = expandPage(pageText, *page.document, LineForm::Named, target);
        ExpandedShader mapped = expandPage(driverText, *page.document, LineForm::Mapped, target);
        if (!named.error.isEmpty()) {
            row.validator = row.driver = Verdict::Failed;
            row.firstError = named.error;
            rows.append(row);
            continue;
        }
        if (haveValidator) {
            TextEncoding encoding = page.document->encoding;
            const QByteArray fileText = EncodeShaderText(named.text, encoding, LineEndStyle::CrLf);
            const CheckReport report = RunValidatorCheck(validator, ValidatorPageFor(stage, target), fileText,
                                                         options_.validatorRun.timeoutMs,
                                                         WaitDialogFor(this, options_.validatorRun));
            row.validator = report.reportsError ? Verdict::Failed : Verdict::Passed;
            row.firstError = FirstErrorLine(report.lines);
        }
        // The driver compiles in the helper process, as for the tool bar's checks. A helper
        // that crashed, ran out of time or memory, or was cancelled fails its row with the one
        // line that says so, and the driver checks no further target.
        if (MainDC && !driverGone) {
            StageSource source;
            source.stage = stage;
            source.lines = mapped.text.split(QLatin1Char('\n'));
            if (mapped.changed)
                source.expansion = std::move(mapped);
            DriverRequest request;
            request.target = target;
            request.sources = {std::move(source)};
            const IsolatedDriverResult result = checkInDriverHelper(std::move(request));
            if (!result.answered) {
                driverGone = true;
                row.driver = Verdict::Failed;
                if (row.firstError.isEmpty())
                    row.firstError = result.lines.value(0);
            } else if (result.outcome == DriverOutcome::Checked) {
                row.driver = VerdictOf(result.lines);
                if (row.firstError.isEmpty())
                    row.firstError = FirstErrorLine(result.lines);
            }
        }
        rows.append(row);
    }

    QStringList lines{(vertex ? QStringLiteral("Targets of the vertex page:") : QStringLiteral("Targets of the fragment page:"))};
    lines += FormatMatrix(rows, MatrixLayout::Sentences);
    if (!haveValidator)
        lines.append(QStringLiteral("glslvalidate was not found in the validator directory; the validator did not run."));
    glslValidateMemo->replaceLines(lines);

    // A row's first error takes the caret to its line on a double-click, as a log line does.
    panelTargets_.clear();
    constexpr int kFirstRowLine = 1; // after the title
    for (int i = 0; i < rows.size(); ++i) {
        const std::optional<LogMessage> message = ParseLogLine(rows[i].firstError);
        if (message && message->line >= 1 && message->line <= page.editor->document()->blockCount())
            panelTargets_.insert(kFirstRowLine + i,
                                 PanelTarget{page.editor, CursorAt(page.editor->document(), {message->line, message->column}),
                                             {}, message->line});
    }
    panelTargetLines_ = glslValidateMemo->lines();
}
