#include "Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

namespace {
QString runFileDialog(QWidget* parent, const QString& title, const QString& lastPath, bool save)
{
    QFileDialog dialog(parent, title, QString(), QString::fromLatin1(kShaderFileFilter));
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
