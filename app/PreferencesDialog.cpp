#include "PreferencesDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace {
// Include paths are shown and typed as one field, separated like PATH.
const QChar kPathSeparator = QLatin1Char(':');
} // namespace

PreferencesDialog::PreferencesDialog(const Preferences& preferences, QWidget* parent)
    : QDialog(parent), base_(preferences)
{
    setObjectName(QStringLiteral("PreferencesDialog"));
    setWindowTitle(QStringLiteral("Preferences"));
    tabWidth_ = new QSpinBox;
    tabWidth_->setRange(kMinTabWidth, kMaxTabWidth);
    tabWidth_->setValue(preferences.tabWidth);
    tabWidth_->setSuffix(QStringLiteral(" characters"));
    tabKeyIndents_ = new QCheckBox(QStringLiteral("Tab key indents"));
    tabKeyIndents_->setToolTip(QStringLiteral("Tab and Shift+Tab indent and unindent; otherwise Tab moves the focus"));
    tabKeyIndents_->setChecked(preferences.tabKeyIndents);
    autoIndent_ = new QCheckBox(QStringLiteral("Keep the indentation on Return"));
    autoIndent_->setChecked(preferences.autoIndent);
    completion_ = new QCheckBox(QStringLiteral("Offer completion after three typed characters"));
    completion_->setChecked(preferences.completion);
    includePaths_ = new QLineEdit(preferences.includePaths.join(kPathSeparator));
    includePaths_->setPlaceholderText(QStringLiteral("/path/one:/path/two"));
    target_ = new QLineEdit(preferences.target);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Tab width:"), tabWidth_);
    form->addRow(tabKeyIndents_);
    form->addRow(autoIndent_);
    form->addRow(completion_);
    form->addRow(QStringLiteral("Include paths:"), includePaths_);
    form->addRow(QStringLiteral("Target:"), target_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

Preferences PreferencesDialog::preferences() const
{
    Preferences p = base_;
    p.tabWidth = tabWidth_->value();
    p.tabKeyIndents = tabKeyIndents_->isChecked();
    p.autoIndent = autoIndent_->isChecked();
    p.completion = completion_->isChecked();
    p.includePaths.clear();
    for (const QString& path : includePaths_->text().split(kPathSeparator, Qt::SkipEmptyParts)) {
        if (!path.trimmed().isEmpty())
            p.includePaths.append(path.trimmed());
    }
    const QString target = target_->text().trimmed();
    p.target = target.isEmpty() ? Preferences().target : target;
    return p;
}
