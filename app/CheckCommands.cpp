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

#include <QTextBlock>

namespace {
// The page's text as a file holds it: the document's own encoding, CR LF between lines.
QByteArray pageFileText(const ShaderEditor& editor, const TSyntaxRichEdit& document)
{
    TextEncoding encoding = document.encoding;
    return EncodeShaderText(editor.toPlainText(), encoding, LineEndStyle::CrLf);
}

// The page's logical lines, as typed.
QStringList pageLines(const ShaderEditor& editor)
{
    QStringList lines;
    const QTextDocument* doc = editor.document();
    lines.reserve(doc->blockCount());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        lines.append(b.text());
    return lines;
}
} // namespace

void TMainForm::ToolButton6Click()
{
    RunValidator(this, ValidatorDir, VertexValidatorPage(), pageFileText(*ShaderRichEdit, VSDocument),
                 *glslValidateMemo, options_.validatorRun);
}

void TMainForm::ToolButton7Click()
{
    RunValidator(this, ValidatorDir, FragmentValidatorPage(), pageFileText(*ShaderRichEditFS, FSDocument),
                 *glslValidateMemo, options_.validatorRun);
}

void TMainForm::ToolButton12Click()
{
    CheckSingleShader(MainDC, MainRC, ShaderKind::Vertex, pageLines(*ShaderRichEdit), *glslValidateMemo);
}

void TMainForm::ToolButton13Click()
{
    CheckSingleShader(MainDC, MainRC, ShaderKind::Fragment, pageLines(*ShaderRichEditFS), *glslValidateMemo);
}

void TMainForm::ToolButton14Click()
{
    CheckLinkedShaders(MainDC, MainRC, pageLines(*ShaderRichEdit), pageLines(*ShaderRichEditFS),
                       *glslValidateMemo);
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
