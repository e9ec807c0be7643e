#include "LanguageSyntax.h"

#include "WordListFile.h"


QStringList DataTypes;
QStringList TypeQualifiers;
QStringList FunctionNames;
QStringList StateVars;

TColourScheme ColourScheme;

namespace {

const SchemeDefinition kSchemes[kSchemeCount] = {
    // Default
    {{QColor(0xFF, 0x00, 0x00), QColor(0x80, 0x00, 0x40), QColor(0x00, 0x00, 0xFF),
      QColor(0x00, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0x00, 0x00, 0x00)},
     QColor(0xFF, 0xFF, 0xFF)},
    // Twilight
    {{QColor(0xA6, 0xCA, 0xF0), QColor(0x00, 0x80, 0x80), QColor(0x00, 0xFF, 0xFF),
      QColor(0xC0, 0xDC, 0xC0), QColor(0x00, 0x80, 0xFF), QColor(0xFF, 0xFF, 0xFF)},
     QColor(0x00, 0x00, 0x00)},
    // Borland Classic
    {{QColor(0xFF, 0x80, 0x40), QColor(0x00, 0xFF, 0xFF), QColor(0xFF, 0xFF, 0xFF),
      QColor(0x00, 0xFF, 0x00), QColor(0xC0, 0xC0, 0xC0), QColor(0xFF, 0xFF, 0x00)},
     QColor(0x00, 0x00, 0x80)},
};

} // namespace

void LoadWordLists()
{
    struct Entry {
        QStringList* list;
        const char* file;
    };
    const Entry entries[] = {
        {&DataTypes, kDataTypesFile},
        {&TypeQualifiers, kTypeQualifiersFile},
        {&FunctionNames, kFunctionNamesFile},
        {&StateVars, kStateVarsFile},
    };
    ReleaseWordLists();
    try {
        for (const Entry& e : entries)
            *e.list = ReadWordListFile(QString::fromLatin1(e.file));
    } catch (...) {
        ReleaseWordLists();
        throw;
    }
}

void ReleaseWordLists()
{
    DataTypes.clear();
    TypeQualifiers.clear();
    FunctionNames.clear();
    StateVars.clear();
}

int FindWordIndex(const QStringList& list, const QString& word)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].compare(word, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const SchemeDefinition* SchemeByIndex(int index)
{
    if (index < 0 || index >= kSchemeCount)
        return nullptr;
    return &kSchemes[index];
}

const SchemeDefinition* SelectColourScheme(int index)
{
    const SchemeDefinition* scheme = SchemeByIndex(index);
    if (scheme)
        ColourScheme = scheme->colours;
    return scheme;
}
