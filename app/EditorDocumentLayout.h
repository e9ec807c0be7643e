#pragma once

#include <QPlainTextDocumentLayout>

// The editors' document layout. An edit's range reaches the layout as "chars removed" and
// "chars added" from one position; a line's colours set during the edit make both the whole
// line, and the plain layout adds the two up: the range then runs into the lines below and
// the layout repaints the whole view for each keystroke. Here the range is what the document
// holds now (from the position, as many characters as were added), so a change inside one
// line lays out and repaints that line alone.
class EditorDocumentLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
};
