#include "EditorPalette.h"

#include "LanguageSyntax.h"

#include <QPalette>
#include <QPlainTextEdit>

void ApplyColourScheme(QPlainTextEdit* editor, int index)
{
    const SchemeDefinition* scheme = SelectColourScheme(index);
    if (!scheme || !editor)
        return;
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, scheme->background);
    palette.setColor(QPalette::Text, scheme->colours.TextColour);
    editor->setPalette(palette);
}

void SyncEditorTextColour(QPlainTextEdit* editor)
{
    if (editor->palette().color(QPalette::Text) == ColourScheme.TextColour)
        return;
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, ColourScheme.TextColour);
    editor->setPalette(palette);
}
