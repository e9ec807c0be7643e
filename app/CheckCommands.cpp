// The validator and driver-check buttons, and the start-up and shutdown steps of the
// hint catalogue and the rendering context.
#include "MainForm.h"

#include "DriverCheck.h"
#include "TargetDriverCheck.h"
#include "GLBinding.h"
#include "GLContext.h"
#include "HelpSystem.h"
#include "OutputPanel.h"
#include "ShaderDocument.h"
#include "ShaderEditor.h"
#include "ValidatorRun.h"
#include "WindowDeviceContext.h"


namespace {
// The page's text as a file holds it: the document's own encoding, CR LF between lines.
QByteArray pageFileText(const ShaderEditor& editor, const TSyntaxRichEdit& document)
{
    TextEncoding encoding = document.encoding;
    return EncodeShaderText(editor.pageText(), encoding, LineEndStyle::CrLf);
}

} // namespace

// On a chosen target the validator is told it, and the panel says it under the heading.
void TMainForm::ToolButton6Click()
{
    runCheck(CheckedPages::Vertex, [this] {
        const ShaderTarget target = currentTarget();
        RunValidator(this, ValidatorDir, ValidatorPageFor(ShaderStage::Vertex, target),
                     pageFileText(*ShaderRichEdit, VSDocument), *glslValidateMemo, options_.validatorRun);
        noteTarget(target);
    });
}

void TMainForm::ToolButton7Click()
{
    runCheck(CheckedPages::Fragment, [this] {
        const ShaderTarget target = currentTarget();
        RunValidator(this, ValidatorDir, ValidatorPageFor(ShaderStage::Fragment, target),
                     pageFileText(*ShaderRichEditFS, FSDocument), *glslValidateMemo, options_.validatorRun);
        noteTarget(target);
    });
}

void TMainForm::noteTarget(const ShaderTarget& target)
{
    const QStringList& lines = glslValidateMemo->lines();
    if (target.api != TargetApi::Auto && !lines.isEmpty() && lines.first() == QLatin1String("glslValidate output :"))
        glslValidateMemo->insertLine(1, TargetLine(target));
}

// The panel is emptied before a driver check starts, so a check that fails on the way
// leaves no earlier output behind to be taken for its own.
// On auto the window's own context checks the pages, as it always did; a chosen target
// gets a context made for it.
void TMainForm::ToolButton12Click()
{
    runCheck(CheckedPages::Vertex, [this] {
        glslValidateMemo->clearLines();
        const QStringList lines = DocumentLines(*ShaderRichEdit->document());
        const ShaderTarget target = currentTarget();
        glslValidateMemo->replaceLines(
            target.api == TargetApi::Auto
                ? CheckSingleShader(MainDC, MainRC, ShaderKind::Vertex, lines).lines
                : CheckForTarget(MainDC, target, {StageSource{ShaderStage::Vertex, lines}}, false).lines);
    });
}

void TMainForm::ToolButton13Click()
{
    runCheck(CheckedPages::Fragment, [this] {
        glslValidateMemo->clearLines();
        const QStringList lines = DocumentLines(*ShaderRichEditFS->document());
        const ShaderTarget target = currentTarget();
        glslValidateMemo->replaceLines(
            target.api == TargetApi::Auto
                ? CheckSingleShader(MainDC, MainRC, ShaderKind::Fragment, lines).lines
                : CheckForTarget(MainDC, target, {StageSource{ShaderStage::Fragment, lines}}, false).lines);
    });
}

void TMainForm::ToolButton14Click()
{
    runCheck(CheckedPages::Both, [this] {
        glslValidateMemo->clearLines();
        const QStringList vertex = DocumentLines(*ShaderRichEdit->document());
        const QStringList fragment = DocumentLines(*ShaderRichEditFS->document());
        const ShaderTarget target = currentTarget();
        glslValidateMemo->replaceLines(
            target.api == TargetApi::Auto
                ? CheckLinkedShaders(MainDC, MainRC, vertex, fragment).lines
                : CheckForTarget(MainDC, target,
                                 {StageSource{ShaderStage::Vertex, vertex}, StageSource{ShaderStage::Fragment, fragment}},
                                 true)
                      .lines);
    });
}

void TMainForm::createHelpSystem()
{
    HelpSystem = new THelpSystem(this);
    HelpSystem->LoadHintFile(QStringLiteral("hints_functionnames.txt"));
}

void TMainForm::openGraphics()
{
    LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1");
    MainDC = GetDC(this);
    MainRC = CreateGLContext(MainDC, ContextOptions{ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
}

void TMainForm::closeGraphics()
{
    DeleteGLContext(MainRC);
    ReleaseDC(MainDC);
    MainRC = nullptr;
    MainDC = nullptr;
}
