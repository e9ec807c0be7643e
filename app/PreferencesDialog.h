#pragma once

#include "Preferences.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

// Edits the program's own settings: the editor's tab width, Tab key, auto-indent and
// completion, and the include paths and target the checks use.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(const Preferences& preferences, QWidget* parent = nullptr);

    // What the dialog shows, over the preferences it was opened with.
    Preferences preferences() const;

private:
    Preferences base_;
    QSpinBox* tabWidth_;
    QCheckBox* tabKeyIndents_;
    QCheckBox* autoIndent_;
    QCheckBox* completion_;
    QLineEdit* includePaths_;
    QLineEdit* target_;
};
