// The validator and driver-check buttons, and the start-up and shutdown steps of the
// hint catalogue and the rendering context.
#include "MainForm.h"

#include "DriverCheck.h"
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

void TMainForm::ToolButton6Click()
{
    runCheck(CheckedPages::Vertex, [this] {
        RunValidator(this, ValidatorDir, VertexValidatorPage(), pageFileText(*ShaderRichEdit, VSDocument),
                     *glslValidateMemo, options_.validatorRun);
    });
}

void TMainForm::ToolButton7Click()
{
    runCheck(CheckedPages::Fragment, [this] {
        RunValidator(this, ValidatorDir, FragmentValidatorPage(), pageFileText(*ShaderRichEditFS, FSDocument),
                     *glslValidateMemo, options_.validatorRun);
    });
}

// The panel is emptied before a driver check starts, so a check that fails on the way
// leaves no earlier output behind to be taken for its own.
void TMainForm::ToolButton12Click()
{
    runCheck(CheckedPages::Vertex, [this] {
        glslValidateMemo->clearLines();
        glslValidateMemo->replaceLines(
            CheckSingleShader(MainDC, MainRC, ShaderKind::Vertex, DocumentLines(*ShaderRichEdit->document())).lines);
    });
}

void TMainForm::ToolButton13Click()
{
    runCheck(CheckedPages::Fragment, [this] {
        glslValidateMemo->clearLines();
        glslValidateMemo->replaceLines(
            CheckSingleShader(MainDC, MainRC, ShaderKind::Fragment, DocumentLines(*ShaderRichEditFS->document())).lines);
    });
}

void TMainForm::ToolButton14Click()
{
    runCheck(CheckedPages::Both, [this] {
        glslValidateMemo->clearLines();
        glslValidateMemo->replaceLines(CheckLinkedShaders(MainDC, MainRC, DocumentLines(*ShaderRichEdit->document()),
                                                          DocumentLines(*ShaderRichEditFS->document()))
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
