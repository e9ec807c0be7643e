#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The hint file the start-up loads, relative to the working directory.
inline constexpr const char* kHintFile = "hints_functionnames.txt";
// What GetHint answers for a name without a record or without lines.
inline constexpr const char* kNoHintText = "No hint available for this entry...";

// The hint catalogue: one short help text per built-in function, read once from the hint
// file and asked for by the pointer hints. Owned by the main window (its QObject parent).
//
// Hint file format, record after record with nothing between them:
//   a name line (the whole line, blanks included);
//   a count: a decimal integer, optionally signed, found by skipping blanks, tabs and line
//     breaks; at most 32 characters, ending at a blank, tab, control character or line break;
//     the rest of its line is ignored;
//   that many text lines (none for 0 or less), each kept verbatim.
// Lines end at LF or CR LF; a Ctrl-Z (code 26) ends the file. Reading past the end gives
// empty lines and a count of 0, so an empty file holds one record with an empty name.
class THelpSystem : public QObject {
    Q_OBJECT
public:
    explicit THelpSystem(QObject* owner);
    ~THelpSystem() override;

    // Element i holds the hint lines of Names[i]; both always have the same length.
    QList<QStringList> Hints;
    // The record names in file order; they may repeat and may be empty.
    QStringList Names;

    // Appends the records of a hint file. Throws LumenpadError: "Datei nicht gefunden" for a
    // missing file, "Dateizugriff verweigert" when access is denied, "E/A-Fehler <errno>" for
    // other open or read failures (nothing is added then), and "Ungültige numerische Eingabe"
    // for a count that is not an integer (the records completed before it stay).
    // A count larger than the lines left takes the lines up to the end of the file and stops
    // there, so a damaged count cannot make the load run long or grow without bound.
    // The bytes are taken as UTF-8 when they are valid UTF-8, otherwise as Latin-1.
    void LoadHintFile(const QString& fileName);

    // The lines of the first record whose name equals name ignoring letter case, joined with
    // a single CR; kNoHintText when there is no such record or it has no lines.
    QString GetHint(const QString& name) const;
};
