#pragma once

#include <QByteArray>
#include <QString>

// The six values config.txt carries from one run to the next.
struct StoredSettings {
    QString validatorDir;
    QString vertexFile;
    QString fragmentFile;
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
    int maximised = 0; // exactly 1 means maximised
    int schemeIndex = 0;
};

// How far a reading got: the values of every line up to (not including) the failing one are
// in force, the rest keep their defaults.
struct SettingsReadResult {
    StoredSettings values;
    int linesRead = 0;    // 0..6
    QString errorMessage; // empty when the whole file was read
};

// The longest path the system takes (PATH_MAX).
inline constexpr int kMaxPathBytes = 4096;

// Parses config.txt's content by the reading rules: lines 1-3 verbatim (LF or CR LF; a line
// longer than kMaxPathBytes bytes is read as empty, as no such path exists),
// then integers that may be preceded by any run of characters below code 33, each a token
// of at most 32 characters; the end of the file reads as 0; the rest of lines 4, 5 and 6
// after their last integer is skipped. A token that is no integer ends the reading with
// "Ungültige numerische Eingabe".
SettingsReadResult ParseSettings(const QByteArray& content);

// Reads the file; a missing file gives "Datei nicht gefunden", a denied one
// "Dateizugriff verweigert", any other failure "E/A-Fehler %d".
SettingsReadResult ReadSettingsFile(const QString& path);

// The file's bytes: six lines, each ended by CR LF.
QByteArray FormatSettings(const StoredSettings& settings);

// Writes the file atomically; throws LumenpadError with the settings-file messages
// ("Zu wenig Speicherplatz" for a full disk).
void WriteSettingsFile(const QString& path, const StoredSettings& settings);

// The message of an I/O error number, as the settings file reports it.
QString SettingsIoMessage(int errorNumber);
