// New, Open, Save and Save As on the active page.
#include "MainForm.h"

#include "Dialogs.h"
#include "LumenpadError.h"
#include "OutputPanel.h"
#include "ShaderEditor.h"

#include <QLabel>


void TMainForm::loadIntoPage(const Page& page, const QString& path)
{
    DecodedShaderText decoded = DecodeShaderText(ReadWholeFile(path), path);
    page.editor->setPlainText(decoded.text);
    HighlightAllLines(page.editor);
    page.document->FileName = path;
    page.document->Changed = false;
    page.document->encoding = decoded.encoding;
    page.document->lineEnd = decoded.lineEnd;
    page.panel->setText(QLatin1String(page.prefix) + path);
}

void TMainForm::ToolButton1Click()
{
    const Page page = activePage();
    if (page.document->Changed && dialogs_->askSaveChanges(false) == Dialogs::SaveAnswer::Yes)
        savePage(page);
    page.editor->clear();
    page.document->FileName.clear();
    page.document->Changed = false;
    page.document->encoding = TextEncoding::Utf8;
    page.document->lineEnd = LineEndStyle::CrLf;
    page.panel->setText(QLatin1String(page.prefix));
    glslValidateMemo->clearLines();
}

void TMainForm::ToolButton2Click()
{
    const Page page = activePage();
    if (page.document->Changed && dialogs_->askSaveChanges(false) == Dialogs::SaveAnswer::Yes)
        savePage(page);
    const QString path = dialogs_->openShaderFile(lastOpenPath_);
    if (path.isEmpty())
        return;
    lastOpenPath_ = path;
    loadIntoPage(page, path);
}

void TMainForm::ToolButton3Click()
{
    savePage(activePage());
}

void TMainForm::ToolButton9Click()
{
    saveAsPage(activePage());
}

// Returns false when the user cancelled the save dialog; a failed write throws.
bool TMainForm::savePage(const Page& page)
{
    if (page.document->FileName.isEmpty()) {
        saveAsPage(page);
        return !page.document->FileName.isEmpty();
    }
    TextEncoding encoding = page.document->encoding;
    const QByteArray bytes = EncodeShaderText(page.editor->pageText(), encoding, page.document->lineEnd);
    if (const int err = WriteFileAtomically(page.document->FileName, bytes))
        throw LumenpadError(FileCreateMessage(page.document->FileName, SystemReason(err)));
    page.document->encoding = encoding;
    return true;
}

void TMainForm::saveAsPage(const Page& page)
{
    const QString path = dialogs_->saveShaderFile(lastSavePath_);
    if (path.isEmpty())
        return;
    lastSavePath_ = path;
    TextEncoding encoding = page.document->encoding;
    const QByteArray bytes = EncodeShaderText(page.editor->pageText(), encoding, page.document->lineEnd);
    if (const int err = WriteFileAtomically(path, bytes))
        throw LumenpadError(FileCreateMessage(path, SystemReason(err)));
    page.document->encoding = encoding;
    page.document->FileName = path;
    page.panel->setText(QLatin1String(page.prefix) + path);
}
