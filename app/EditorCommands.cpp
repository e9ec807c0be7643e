// The editing commands beyond the toolbar's: find and replace, go to line, the preferences,
// the key list, the next and previous diagnostic; and what the program remembers per file.
#include "MainForm.h"

#include "Dialogs.h"
#include "FindBar.h"
#include "GoToLine.h"
#include "LumenpadError.h"
#include "ShaderEditor.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTextBlock>

void TMainForm::FindCommand()
{
    findBar_->openFind();
}

void TMainForm::ReplaceCommand()
{
    findBar_->openReplace();
}

void TMainForm::FindNextCommand()
{
    if (findBar_->findField()->text().isEmpty())
        findBar_->openFind();
    else
        findBar_->findNext();
}

void TMainForm::FindPreviousCommand()
{
    if (findBar_->findField()->text().isEmpty())
        findBar_->openFind();
    else
        findBar_->findPrevious();
}

void TMainForm::GoToLineCommand()
{
    ShaderEditor* editor = activePage().editor;
    const QString typed = dialogs_->askGoToLine(std::max(editor->document()->blockCount(), 1));
    if (typed.isEmpty())
        return;
    const std::optional<LineColumn> where = ParseLineColumn(typed);
    if (!where)
        throw LumenpadError(QStringLiteral("\"%1\" is no line number; type a line, or a line and a column "
                                           "separated by a colon, such as 12:5")
                                .arg(typed));
    GoToLineColumn(editor, *where);
    editor->setFocus(Qt::OtherFocusReason);
}

void TMainForm::NextDiagnosticCommand()
{
    goToDiagnostic(true);
}

void TMainForm::PreviousDiagnosticCommand()
{
    goToDiagnostic(false);
}

void TMainForm::KeysCommand()
{
    dialogs_->showKeys(keyListText());
}

void TMainForm::PreferencesCommand()
{
    refreshPreferences();
    Preferences edited = preferences_;
    if (!dialogs_->editPreferences(edited))
        return;
    preferences_ = edited;
    applyPreferences();
    savePreferences();
}

void TMainForm::refreshPreferences()
{
    // The file is shared with the target chooser and with other windows: what they wrote since
    // is taken over, and only the carets this window remembers are its own to add.
    Preferences stored = LoadPreferences(preferencesFile());
    stored.carets.insert(preferences_.carets);
    preferences_ = stored;
}

void TMainForm::applyPreferences()
{
    for (ShaderEditor* editor : {ShaderRichEdit, ShaderRichEditFS})
        editor->applyPreferences(preferences_);
    // The target field of the preferences and the toolbar's chooser are one setting.
    const int target = TargetChooser->findText(preferences_.target);
    if (target >= 0)
        TargetChooser->setCurrentIndex(target);
}

QString TMainForm::preferencesFile() const
{
    return options_.preferencesFile.isEmpty() ? PreferencesFilePath() : options_.preferencesFile;
}

void TMainForm::savePreferences()
{
    if (!SavePreferences(preferences_, preferencesFile()))
        throw LumenpadError(
            QStringLiteral("The preferences cannot be saved in %1").arg(QDir::toNativeSeparators(preferencesFile())));
}

void TMainForm::rememberCaret(const Page& page)
{
    // Only a page that holds its file's text has a caret in it worth keeping.
    if (page.document->FileName.isEmpty() || page.watch->path() != page.document->FileName)
        return;
    const QTextCursor caret = page.editor->textCursor();
    if (preferences_.carets.size() >= kMaxRememberedCarets && !preferences_.carets.contains(page.document->FileName))
        preferences_.carets.erase(preferences_.carets.begin());
    preferences_.carets.insert(page.document->FileName, {caret.blockNumber() + 1, caret.positionInBlock() + 1});
}

void TMainForm::restoreCaret(const Page& page)
{
    const auto found = preferences_.carets.constFind(page.document->FileName);
    if (found != preferences_.carets.constEnd())
        GoToLineColumn(page.editor, {found->line, found->column});
}
