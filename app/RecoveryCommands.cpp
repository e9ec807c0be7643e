// Crash recovery in the window: which pages go to the recovery file and when, and the offer
// at start of what a window that ended without closing left behind.
#include "MainForm.h"

#include "CrashRecovery.h"
#include "Dialogs.h"
#include "ErrorReporting.h"
#include "ShaderEditor.h"

#include <QFileInfo>
#include <QLabel>
#include <QTabWidget>
#include <QTextDocument>

void TMainForm::startRecovery()
{
    recovery_ = new CrashRecovery([this] { return pagesToRecover(); }, this, options_.recoveryIntervalMs);
    for (ShaderEditor* editor : {ShaderRichEdit, ShaderRichEditFS}) {
        connect(editor->document(), &QTextDocument::contentsChanged, recovery_, &CrashRecovery::noteChange);
        // Saved, loaded or emptied: the file follows at once, so it never outlives the edits.
        connect(editor->document(), &QTextDocument::modificationChanged, recovery_, [this](bool modified) {
            if (!modified)
                recovery_->writeNow();
        });
    }
}

// A page is kept while its text differs from what was last read, written or emptied.
QList<RecoveredPage> TMainForm::pagesToRecover()
{
    QList<RecoveredPage> pages;
    const Page all[2] = {vertexPage(), fragmentPage()};
    for (int slot = 0; slot < 2; ++slot) {
        const Page& page = all[slot];
        if (!page.editor->document()->isModified())
            continue;
        pages.append({slot, page.document->FileName, page.editor->pageText(), page.document->Changed,
                      page.document->encoding, page.document->lineEnd});
    }
    return pages;
}

void TMainForm::offerRecovery()
{
    const QList<RecoveredPage> left = recovery_->takeLeftBehind();
    if (left.isEmpty())
        return;
    const Page all[2] = {vertexPage(), fragmentPage()};
    QStringList names;
    for (const RecoveredPage& page : left)
        names.append((page.slot == 0 ? QStringLiteral("Vertex shader: ") : QStringLiteral("Fragment shader: ")) +
                     (page.fileName.isEmpty() ? QStringLiteral("(untitled)") : page.fileName));
    if (dialogs_->askRestorePages(names)) {
        for (const RecoveredPage& recovered : left) {
            const Page& page = all[recovered.slot];
            forgetPanelTargets(page.editor);
            page.editor->setPlainText(recovered.text);
            HighlightAllLines(page.editor);
            page.document->FileName = recovered.fileName;
            page.document->Changed = recovered.changed;
            page.document->encoding = recovered.encoding;
            page.document->lineEnd = recovered.lineEnd;
            page.panel->setText(QLatin1String(page.prefix) + recovered.fileName);
            // Save still asks before it overwrites a file changed since it was last read.
            page.watch->forget();
            if (!recovered.fileName.isEmpty() && QFileInfo(recovered.fileName).isFile()) {
                RunHandler(*dialogs_, [&] { page.watch->remember(recovered.fileName, ReadWholeFile(recovered.fileName)); });
            }
            page.editor->document()->setModified(true);
            PageControl1->setCurrentWidget(page.sheet);
        }
    }
    // Restored pages go into this window's own file before the old one goes.
    recovery_->writeNow();
    recovery_->dismissLeftBehind();
}
