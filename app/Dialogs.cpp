#include "Dialogs.h"

#include "PreferencesDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
struct Choice {
    QString text;
    QMessageBox::ButtonRole role;
};

// A question with two answers; the first is the default, the second Escape's.
bool AskYesOrNo(QWidget* parent, const QString& question, const Choice& yes, const Choice& no)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lumenpad"), question, QMessageBox::NoButton, parent);
    QPushButton* yesButton = box.addButton(yes.text, yes.role);
    QPushButton* noButton = box.addButton(no.text, no.role);
    box.setDefaultButton(yesButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}
} // namespace

Dialogs::SaveAnswer QtDialogs::askSaveChanges(bool allowCancel)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"),
                    QStringLiteral("File has been changed!Save changes?"), QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    QPushButton* cancel = allowCancel ? box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole)
                                      : nullptr;
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes)
        return SaveAnswer::Yes;
    if (cancel && box.clickedButton() == cancel)
        return SaveAnswer::Cancel;
    return SaveAnswer::No;
}

Dialogs::DiskAnswer QtDialogs::askOverwriteChangedFile(const QString& path)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Lumenpad"),
                    QStringLiteral("The file %1 has been changed on disk since it was opened or saved.\n"
                                   "Overwrite it with this page, or reload the page from the file?")
                        .arg(QDir::toNativeSeparators(path)),
                    QMessageBox::NoButton, parent_);
    QPushButton* overwrite = box.addButton(QStringLiteral("&Overwrite"), QMessageBox::AcceptRole);
    QPushButton* reload = box.addButton(QStringLiteral("&Reload"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return DiskAnswer::Overwrite;
    if (box.clickedButton() == reload)
        return DiskAnswer::Reload;
    return DiskAnswer::Cancel;
}

bool QtDialogs::askReloadChangedFile(const QString& path)
{
    return AskYesOrNo(parent_,
                      QStringLiteral("The file %1 has been changed on disk. Reload it?").arg(QDir::toNativeSeparators(path)),
                      {QStringLiteral("&Reload"), QMessageBox::AcceptRole},
                      {QStringLiteral("&Keep this page"), QMessageBox::RejectRole});
}

QString QtDialogs::askGoToLine(int lineCount)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, QStringLiteral("Go to Line"),
                                               QStringLiteral("Line (1 to %1), or line:column:").arg(lineCount),
                                               QLineEdit::Normal, QString(), &ok);
    return ok ? text.trimmed() : QString();
}

bool QtDialogs::editPreferences(Preferences& preferences)
{
    PreferencesDialog dialog(preferences, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    preferences = dialog.preferences();
    return true;
}

void QtDialogs::showKeys(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Keyboard Shortcuts"), text, QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

namespace {
QString runFileDialog(QWidget* parent, const QString& title, const QString& lastPath, bool save)
{
    QString filter = QString::fromLatin1(kShaderFileFilter);
    if (!save)
        filter += QStringLiteral(";;") + QString::fromLatin1(kAllFilesFilter);
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A typed name that does not exist is taken as typed; opening it then reports the failure.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!lastPath.isEmpty())
        dialog.selectFile(lastPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString QtDialogs::openShaderFile(const QString& lastPath)
{
    return runFileDialog(parent_, QStringLiteral("Shader öffnen"), lastPath, false);
}

QString QtDialogs::saveShaderFile(const QString& lastPath)
{
    // Replacing an existing file is confirmed by the dialog's own question.
    return runFileDialog(parent_, QStringLiteral("Shader speichern als..."), lastPath, true);
}

void QtDialogs::showError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Lumenpad"), text, QMessageBox::Ok, parent_);
    box.exec();
}

void QtDialogs::showAbout(const QString& text)
{
    // The lines are separated by CR alone; the label needs LF to break them.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Information, QStringLiteral("Informationen"), shown, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::askRestorePages(const QStringList& pages)
{
    return AskYesOrNo(parent_,
                      QStringLiteral("Lumenpad ended without being closed. Restore the unsaved text of these pages?\n\n%1")
                          .arg(pages.join(QLatin1Char('\n'))),
                      {QStringLiteral("&Ja"), QMessageBox::YesRole}, {QStringLiteral("&Nein"), QMessageBox::NoRole});
}
