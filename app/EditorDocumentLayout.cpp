#include "EditorDocumentLayout.h"

#include <algorithm>

void EditorDocumentLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    // Lines removed show as a change of the block count, which the plain layout looks at on
    // its own; a removal inside a line leaves at least the character at the position.
    QPlainTextDocumentLayout::documentChanged(from, 0, std::max(charsAdded, 1));
}
