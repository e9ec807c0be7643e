// New, Open, Save and Save As on the active page; files opened from the command line or
// dropped on the window; files changed on disk by another program.
#include "MainForm.h"

#include "Dialogs.h"
#include "ErrorReporting.h"
#include "LumenpadError.h"
#include "OutputPanel.h"
#include "PageFileText.h"
#include "ShaderEditor.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTabWidget>
#include <QTimer>

#include <limits>

namespace {
// Lines of a file put in at once, beyond the line of its remembered caret: more than any
// window shows. The rest follows from the event loop.
constexpr int kFirstLines = 300;
} // namespace

void TMainForm::loadIntoPage(const Page& page, const QString& path)
{
    const QByteArray bytes = ReadWholeFile(path);
    DecodedShaderText decoded = DecodeShaderText(bytes, path);
    rememberCaret(page);
    forgetPanelTargets(page.editor);
    const auto caret = preferences_.carets.constFind(path);
    const int firstLines = kFirstLines + (caret != preferences_.carets.constEnd() ? caret->line : 0);
    // A file whose bytes need marks to come back (mixed breaks, break characters) goes in
    // whole; any other comes in progressively.
    SetPageFileText(*page.editor, decoded, [&](const QString& text, bool whole) {
        page.editor->loadText(text, whole ? std::numeric_limits<int>::max() : firstLines);
    });
    HighlightAllLines(page.editor);
    page.document->FileName = path;
    page.document->Changed = false;
    page.document->encoding = decoded.encoding;
    page.document->lineEnd = decoded.lineEnd;
    page.watch->remember(path, bytes);
    page.panel->setText(QLatin1String(page.prefix) + path);
    restoreCaret(page);
}

bool TMainForm::askToSave(const Page& page, bool closing)
{
    if (!page.document->Changed)
        return true;
    PageControl1->setCurrentWidget(page.sheet);
    switch (dialogs_->askSaveChanges(true)) {
    case Dialogs::SaveAnswer::Cancel:
        return false;
    case Dialogs::SaveAnswer::No:
        return true;
    case Dialogs::SaveAnswer::Yes:
        break;
    }
    // A cancelled save dialog, or a stop asked for at the question about a file changed on
    // disk, ends the command: going on would throw away the text the user just chose to keep.
    if (!closing)
        return savePage(page) != SaveOutcome::Cancelled;
    // The window closes only over a page that is safe: a failed or cancelled save keeps it open.
    SaveOutcome outcome = SaveOutcome::NotSaved;
    RunHandler(*dialogs_, [&] { outcome = savePage(page); });
    return outcome == SaveOutcome::Written || outcome == SaveOutcome::Reloaded;
}

void TMainForm::ToolButton1Click()
{
    const Page page = activePage();
    if (!askToSave(page))
        return;
    rememberCaret(page);
    forgetPanelTargets(page.editor);
    page.editor->cancelLoading();
    page.editor->clear();
    page.document->FileName.clear();
    page.document->Changed = false;
    page.document->encoding = TextEncoding::Utf8;
    page.document->lineEnd = LineEndStyle::CrLf;
    page.watch->forget();
    page.panel->setText(QLatin1String(page.prefix));
    glslValidateMemo->clearLines();
}

void TMainForm::ToolButton2Click()
{
    const Page page = activePage();
    if (!askToSave(page))
        return;
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

TMainForm::SaveOutcome TMainForm::savePage(const Page& page)
{
    if (page.document->FileName.isEmpty())
        return saveAsPage(page) ? SaveOutcome::Written : SaveOutcome::Cancelled;
    if (page.watch->changedOnDisk()) {
        switch (dialogs_->askOverwriteChangedFile(page.document->FileName)) {
        case Dialogs::DiskAnswer::Overwrite:
            break;
        case Dialogs::DiskAnswer::Reload:
            loadIntoPage(page, page.document->FileName);
            return SaveOutcome::Reloaded;
        case Dialogs::DiskAnswer::Cancel:
            return SaveOutcome::Cancelled;
        }
    }
    writePage(page, page.document->FileName);
    return SaveOutcome::Written;
}

// Returns false when the user cancelled the save dialog; a failed write throws.
bool TMainForm::saveAsPage(const Page& page)
{
    const QString path = dialogs_->saveShaderFile(lastSavePath_);
    if (path.isEmpty())
        return false;
    lastSavePath_ = path;
    writePage(page, path);
    page.document->FileName = path;
    page.panel->setText(QLatin1String(page.prefix) + path);
    return true;
}

void TMainForm::writePage(const Page& page, const QString& path)
{
    page.editor->finishLoading();
    const QString text = PageTextWithBreaks(*page.editor->document(), page.document->lineEnd);
    if (text.contains(QChar(0)))
        throw LumenpadError(FileCreateMessage(path, QStringLiteral("the page holds a NUL character, which no text "
                                                                   "file can keep; remove it and save again")));
    TextEncoding encoding = page.document->encoding;
    const QByteArray bytes = EncodeShaderFileText(text, encoding);
    if (const int err = WriteFileAtomically(path, bytes))
        throw LumenpadError(FileCreateMessage(path, SystemReason(err)));
    page.document->encoding = encoding;
    page.watch->remember(path, bytes);
    page.editor->document()->setModified(false);
}

void TMainForm::openFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        const Page page = pageForFile(path);
        PageControl1->setCurrentWidget(page.sheet);
        bool stopped = false;
        RunHandler(*dialogs_, [&] {
            stopped = !askToSave(page);
            if (!stopped)
                loadIntoPage(page, path);
        });
        if (stopped)
            return;
    }
}

void TMainForm::openStartFiles()
{
    // Files named on the command line take the places of the last files on their pages.
    QString named[2];
    for (const QString& path : std::as_const(options_.files))
        named[pageForFile(path).sheet == FSTabSheet ? 1 : 0] = path;
    const Page pages[2] = {vertexPage(), fragmentPage()};
    for (int i = 0; i < 2; ++i) {
        const Page& page = pages[i];
        const QString path = named[i].isEmpty() ? page.document->FileName : named[i];
        if (path.isEmpty() || (named[i].isEmpty() && !QFileInfo::exists(path)))
            continue;
        RunHandler(*dialogs_, [&] {
            try {
                loadIntoPage(page, path);
            } catch (...) {
                // Left untitled, so a later Save cannot write this empty page over the file.
                page.document->FileName.clear();
                throw;
            }
        });
    }
    if (!options_.files.isEmpty())
        PageControl1->setCurrentWidget(pageForFile(options_.files.constLast()).sheet);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFilesOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFilesOf(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop ends first: the save question must not run inside the drag and drop.
    QTimer::singleShot(0, this, [this, files] { openFiles(files); });
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the window is when another program's changes to a file show up.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && StartTimer && !StartTimer->isActive())
        QTimer::singleShot(0, this, &TMainForm::checkFilesOnDisk);
}

void TMainForm::checkFilesOnDisk()
{
    if (checkingDisk_ || closing_)
        return;
    checkingDisk_ = true;
    for (const Page& page : {vertexPage(), fragmentPage()}) {
        // A page with edits is asked about when it is saved.
        if (page.document->Changed || !page.watch->changedOnDisk() || page.watch->reloadDeclined())
            continue;
        PageControl1->setCurrentWidget(page.sheet);
        if (dialogs_->askReloadChangedFile(page.document->FileName))
            RunHandler(*dialogs_, [&] { loadIntoPage(page, page.document->FileName); });
        else
            page.watch->declineReload();
    }
    checkingDisk_ = false;
}
