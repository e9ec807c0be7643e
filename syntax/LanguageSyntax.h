#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// The shading-language knowledge and the current colours the highlighter reads.
// Module state: filled once before the main window exists, read-only afterwards.

// The four word lists, in file order, entries verbatim (duplicates and blanks kept).
extern QStringList DataTypes;
extern QStringList TypeQualifiers;
extern QStringList FunctionNames;
extern QStringList StateVars;

inline constexpr const char* kDataTypesFile = "syntax_datatypes.txt";
inline constexpr const char* kTypeQualifiersFile = "syntax_typequalifiers.txt";
inline constexpr const char* kFunctionNamesFile = "syntax_functionnames.txt";
inline constexpr const char* kStateVarsFile = "syntax_statevars.txt";

// Loads the four lists from the working directory, in the order above. A list that cannot
// be opened throws LumenpadError with "Datei %s kann nicht geöffnet werden. %s"; the lists
// loaded before it are cleared again and the later ones are not read.
void LoadWordLists();
// Frees the four lists (module finalisation).
void ReleaseWordLists();

// Position of the first entry equal to word when letter case is ignored, or -1.
int FindWordIndex(const QStringList& list, const QString& word);

// The six text colours of the current scheme; black until a scheme is applied.
struct TColourScheme {
    QColor DataTypeColour{Qt::black};
    QColor TypeQualifierColour{Qt::black};
    QColor FunctionNameColour{Qt::black};
    QColor StateVarColour{Qt::black};
    QColor CommentColour{Qt::black};
    QColor TextColour{Qt::black};
};
extern TColourScheme ColourScheme;

// The scheme table: index 0 "Default", 1 "Twilight", 2 "Borland Classic".
struct SchemeDefinition {
    TColourScheme colours;
    QColor background;
};
inline constexpr int kSchemeCount = 3;
const SchemeDefinition* SchemeByIndex(int index); // nullptr outside 0..2

// Makes scheme 0, 1 or 2 the current one (the six slots) and returns it; any other index
// (-1 included) changes nothing and gives nullptr. Does not recolour text already coloured.
const SchemeDefinition* SelectColourScheme(int index);
