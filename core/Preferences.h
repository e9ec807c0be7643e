#pragma once

// The program's own settings beyond config.txt's six lines, kept in an INI file in the user's
// configuration directory ($XDG_CONFIG_HOME/lumenpad/lumenpad.conf). config.txt stays exactly
// as it is; everything the editor learns later lives here.

#include <QHash>
#include <QString>
#include <QStringList>

class QSettings;

struct CaretPosition {
    int line = 1;   // 1-based
    int column = 1; // 1-based
};

struct Preferences {
    int tabWidth = 4;           // in characters' widths
    bool tabKeyIndents = false; // Tab/Shift+Tab indent; otherwise Tab moves the focus
    bool autoIndent = true;     // a new line keeps the previous line's leading white space
    bool completion = true;     // offer completion after three typed characters
    QStringList includePaths;   // searched for #include after the including file's folder
    QString target = QStringLiteral("auto");
    int panelHeight = 0;        // the output panel's height in pixels; 0 leaves the layout's
    QHash<QString, CaretPosition> carets; // by full file path
};

inline constexpr int kMinTabWidth = 1;
inline constexpr int kMaxTabWidth = 16;
inline constexpr int kMaxRememberedCarets = 200;

// The settings file of the current user.
QString PreferencesFilePath();

// Reads what the store holds; values missing or out of range keep their defaults.
Preferences ReadPreferences(QSettings& store);
void WritePreferences(QSettings& store, const Preferences& preferences);

// From and to the user's settings file (or another). A file that cannot be written is left as
// it was, and the save returns false.
Preferences LoadPreferences(const QString& file = PreferencesFilePath());
bool SavePreferences(const Preferences& preferences, const QString& file = PreferencesFilePath());
