#pragma once

#include "LanguageSyntax.h"
#include "LineColouring.h"

#include <QColor>

// The colour scheme slot a colouring role is drawn in, as the tests expect it.
inline QColor ExpectedRoleColour(SyntaxRole role)
{
    switch (role) {
    case SyntaxRole::Text: return ColourScheme.TextColour;
    case SyntaxRole::DataType: return ColourScheme.DataTypeColour;
    case SyntaxRole::TypeQualifier: return ColourScheme.TypeQualifierColour;
    case SyntaxRole::FunctionName: return ColourScheme.FunctionNameColour;
    case SyntaxRole::StateVar: return ColourScheme.StateVarColour;
    case SyntaxRole::Comment: return ColourScheme.CommentColour;
    }
    return {};
}
