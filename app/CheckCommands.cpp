// The validator and driver-check buttons, and the start-up and shutdown steps of the
// hint catalogue and the rendering context.
#include "MainForm.h"

#include "CrashRecovery.h"
#include "DriverRequest.h"
#include "IsolatedDriverCheck.h"
#include "LumenpadError.h"
#include "GLBinding.h"
#include "GLContext.h"
#include "GraphicsPreload.h"
#include "HelpSystem.h"
#include "IncludeExpander.h"
#include "Preferences.h"
#include "OutputPanel.h"
#include "ShaderDocument.h"
#include "ShaderEditor.h"
#include "ValidatorRun.h"
#include "WindowDeviceContext.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QStyle>


namespace {

constexpr const char* kGLLibrary = "libGL.so.1";
constexpr const char* kGLULibrary = "libGLU.so.1";

const QString kValidatorHeading = QStringLiteral("glslValidate output :");

// The page's text as a file holds it: the document's own encoding, CR LF between lines.
QByteArray pageFileText(const QString& text, const TSyntaxRichEdit& document)
{
    TextEncoding encoding = document.encoding;
    return EncodeShaderText(text, encoding, LineEndStyle::CrLf);
}

} // namespace

ExpandedShader TMainForm::expandPage(const QString& text, const TSyntaxRichEdit& document, LineForm form,
                                     const ShaderTarget& target) const
{
    IncludeSettings settings;
    if (HasIncludes(text))
        settings.includePaths = LoadPreferences(preferencesFile()).includePaths;
    return ExpandIncludes(text, document.FileName, settings, form,
                          LineDirectiveNamesNextLine(text.toStdString(), target));
}

void TMainForm::validatePage(ShaderStage stage)
{
    const Page page = stage == ShaderStage::Vertex ? vertexPage() : fragmentPage();
    recovery_->writeNow();
    const ShaderTarget target = currentTarget();
    const ExpandedShader expanded = expandPage(page.editor->pageText(), *page.document, LineForm::Named, target);
    if (!expanded.error.isEmpty()) {
        glslValidateMemo->replaceLines({kValidatorHeading, expanded.error});
        return;
    }
    RunValidator(this, ValidatorDir, ValidatorPageFor(stage, target), pageFileText(expanded.text, *page.document),
                 *glslValidateMemo, options_.validatorRun);
    noteTarget(target);
}

// The driver's compiler runs in a helper process: a shader that crashes it or takes all
// memory costs the helper, and the panel says so in one line, while the pages stay as they are.
QStringList TMainForm::driverCheck(const QList<ShaderStage>& stages, bool link)
{
    recovery_->writeNow();
    DriverRequest request;
    request.target = currentTarget();
    request.link = link;
    for (ShaderStage stage : stages) {
        const Page page = stage == ShaderStage::Vertex ? vertexPage() : fragmentPage();
        page.editor->finishLoading();
        const QString text = DocumentLines(*page.editor->document()).join(QLatin1Char('\n'));
        ExpandedShader expanded = expandPage(text, *page.document, LineForm::Mapped, request.target);
        if (!expanded.error.isEmpty())
            return {expanded.error};
        StageSource source;
        source.stage = stage;
        source.lines = expanded.text.split(QLatin1Char('\n'));
        if (expanded.changed)
            source.expansion = std::move(expanded);
        request.sources.append(std::move(source));
    }
    return checkInDriverHelper(std::move(request)).lines;
}

IsolatedDriverResult TMainForm::checkInDriverHelper(DriverRequest request)
{
    request.addressSpace = options_.driverAddressSpace;
    IsolatedDriverResult result =
        isolatedDriver().check(request, options_.driverRun.timeoutMs, WaitDialogFor(this, options_.driverRun));
    if (!result.failure.isEmpty())
        throw LumenpadError(result.failure);
    return result;
}

IsolatedDriver& TMainForm::isolatedDriver()
{
    if (!isolatedDriver_) {
        const QString dir = options_.programDir.isEmpty() ? QCoreApplication::applicationDirPath() : options_.programDir;
        isolatedDriver_ = std::make_unique<IsolatedDriver>(QDir(dir).filePath(QString::fromLatin1(kDriverHelperName)));
    }
    return *isolatedDriver_;
}

qint64 TMainForm::driverHelperId() const
{
    return isolatedDriver_ ? isolatedDriver_->processId() : 0;
}

// On a chosen target the validator is told it, and the panel says it under the heading.
void TMainForm::ToolButton6Click()
{
    runCheck(CheckedPages::Vertex, [this] { validatePage(ShaderStage::Vertex); });
}

void TMainForm::ToolButton7Click()
{
    runCheck(CheckedPages::Fragment, [this] { validatePage(ShaderStage::Fragment); });
}

void TMainForm::noteTarget(const ShaderTarget& target)
{
    const QStringList& lines = glslValidateMemo->lines();
    if (target.api != TargetApi::Auto && !lines.isEmpty() && lines.first() == kValidatorHeading)
        glslValidateMemo->insertLine(1, TargetLine(target));
}

// The panel is emptied before a driver check starts, so a check that fails on the way
// leaves no earlier output behind to be taken for its own.
void TMainForm::ToolButton12Click()
{
    runCheck(CheckedPages::Vertex, [this] {
        glslValidateMemo->clearLines();
        glslValidateMemo->replaceLines(driverCheck({ShaderStage::Vertex}, false));
    });
}

void TMainForm::ToolButton13Click()
{
    runCheck(CheckedPages::Fragment, [this] {
        glslValidateMemo->clearLines();
        glslValidateMemo->replaceLines(driverCheck({ShaderStage::Fragment}, false));
    });
}

void TMainForm::ToolButton14Click()
{
    runCheck(CheckedPages::Both, [this] {
        glslValidateMemo->clearLines();
        glslValidateMemo->replaceLines(driverCheck({ShaderStage::Vertex, ShaderStage::Fragment}, true));
    });
}

void TMainForm::createHelpSystem()
{
    HelpSystem = new THelpSystem(this);
    HelpSystem->LoadHintFile(QStringLiteral("hints_functionnames.txt"));
}

void TMainForm::StartGraphicsLoading()
{
    // The driver's libraries load under the dynamic loader's lock, which every other library
    // load and every new thread waits for. The toolkit's own on the way to the window are
    // made first (the image plugins behind the tool bar's extension icon, the accessibility
    // bridge with its bus thread), so that building the window runs beside the driver's load
    // instead of waiting for it.
    QApplication::style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QAccessible::isActive();
    StartGraphicsPreload(kGLLibrary, kGLULibrary);
}

void TMainForm::openGraphics()
{
    // main() starts loading the libraries and the driver on a worker thread (a window made
    // without it, as in the tests, loads them here).
    if (!JoinGraphicsPreload())
        LoadGraphicsLibraries(kGLLibrary, kGLULibrary);
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
