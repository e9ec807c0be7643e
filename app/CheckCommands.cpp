// The validator and driver-check buttons, and the start-up and shutdown steps of the
// hint catalogue and the rendering context.
#include "MainForm.h"

#include "DriverCheck.h"
#include "GLBinding.h"
#include "GLContext.h"
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

void TMainForm::ToolButton12Click()
{
    runCheck(CheckedPages::Vertex, [this] {
        CheckSingleShader(MainDC, MainRC, ShaderKind::Vertex, DocumentLines(*ShaderRichEdit->document()),
                          *glslValidateMemo);
    });
}

void TMainForm::ToolButton13Click()
{
    runCheck(CheckedPages::Fragment, [this] {
        CheckSingleShader(MainDC, MainRC, ShaderKind::Fragment, DocumentLines(*ShaderRichEditFS->document()),
                          *glslValidateMemo);
    });
}

void TMainForm::ToolButton14Click()
{
    runCheck(CheckedPages::Both, [this] {
        CheckLinkedShaders(MainDC, MainRC, DocumentLines(*ShaderRichEdit->document()),
                           DocumentLines(*ShaderRichEditFS->document()), *glslValidateMemo);
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
