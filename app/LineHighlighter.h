#pragma once

#include "LineColouring.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QList>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QTimer>

#include <vector>

class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

// Colours the lines (text blocks) of one editor with the word lists and the current colour
// scheme. Colours live in the blocks' layouts as additional formats, never in the document:
// colouring is not an edit, so it never marks the document modified, never raises textChanged
// or contentsChanged, never enters the undo history, and never moves the caret or the view.
//
// Words and comments get formats in their scheme colours; plain text is drawn in the editor's
// palette text colour, which the highlighter keeps at the scheme's TextColour.
//
// Every edit recolours the lines it touched before the edit's textChanged is raised, and the
// lines below whose start moved into or out of a block comment (those in view at once, the rest
// from the event loop). A complete
// pass (HighlightAllLines) colours the lines in view first and the rest in short slices from
// the event loop, so a long file does not stop the window from answering; an edit of more than
// a thousand lines (a whole text set at once, a huge paste) is treated the same way.
//
// The highlighter keeps its bookkeeping in QTextBlock::userState; nothing else may use it.
class LineHighlighter : public QObject {
    Q_OBJECT
public:
    // Attaches to the editor's document, with the module's word lists as they are now. The
    // editor is the parent: the highlighter lives as long as the editor.
    explicit LineHighlighter(QPlainTextEdit* editor);
    // Same, with the given colourer in place of the module's word lists.
    LineHighlighter(QPlainTextEdit* editor, LineColourer colourer);
    ~LineHighlighter() override;

    // Recolours every line with the current ColourScheme: the lines in view before returning,
    // the rest soon after from the event loop (all of it before returning when that is quick).
    // A call while a pass is running starts that pass over.
    void HighlightAllLines();

    // Whether a complete pass still has lines to colour, or the text is still arriving.
    bool isPending() const { return pending_ || arriving_; }
    // While the editor's text arrives in pieces, allLinesColoured waits for the last piece.
    void setTextArriving(bool arriving);
    // Colours every line the running pass has not reached yet, before returning.
    void finishPending();

    // True only while the highlighter is changing colours. Colouring raises no textChanged, so
    // a textChanged handler never sees this true; it is there to let a handler make sure.
    bool isRecolouring() const { return recolouring_; }

    // Replaces the word lists used from now on (the colours already shown stay until the
    // lines are recoloured).
    void setColourer(LineColourer colourer);
    // How long one slice of a pass may colour before it yields to the event loop. A budget of
    // 0 colours the fewest lines a slice can (tests use it to catch a pass half-way).
    void setSliceBudget(qint64 nanoseconds) { sliceBudgetNs_ = nanoseconds; }

signals:
    // A complete pass has coloured its last line.
    void allLinesColoured();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void contentsChange(int position, int charsRemoved, int charsAdded);
    void runSlice(qint64 budgetNs);
    // Colours the blocks in view that the current pass has not coloured yet.
    void colourVisibleBlocks();
    // First block in view and how many blocks can be in view at most.
    QTextBlock firstVisibleBlock() const;
    int visibleBlockCount() const;

    // Colours [first, last] in document order, skipping blocks already coloured for the current
    // pass when skipDone is set. Blocks of the edit being made (edited) need no flush: the
    // document lays them out with their new formats once the edit is done, and repaints just
    // them; a flush there would widen the edit to the next block and repaint the whole view.
    void colourRange(const QTextBlock& first, const QTextBlock& last, bool skipDone, bool edited = false);
    void colourBlock(const QTextBlock& block);
    // Whether the block is coloured for the current pass and scheme.
    bool isDone(const QTextBlock& block) const;
    // Tells the layout that the formats of [from, to) changed. Without repaint the view is not
    // asked to repaint: for blocks out of view.
    void flush(int from, int to, bool repaint);
    void refreshFormats();
    void shareFormats(const QList<QTextLayout::FormatRange>& resolved);
    void nextGeneration();

    QPointer<QPlainTextEdit> editor_;
    QPointer<QTextDocument> document_;
    LineColourer colourer_;
    // Work per slice of a complete pass, so input between slices is answered quickly.
    qint64 sliceBudgetNs_ = 5'000'000;
    QTimer sliceTimer_;

    // Formats by SyntaxRole, for the scheme they were made from.
    QTextCharFormat formats_[kSyntaxRoleCount];
    QColor formatColours_[kSyntaxRoleCount];
    bool formatsMade_ = false;
    // Whether formats_[role] is the document's own copy (see shareFormats).
    bool formatShared_[kSyntaxRoleCount] = {};
    bool formatsShared_ = false;

    // Counts complete passes and large edits; see isDone.
    int generation_ = 1;
    bool pending_ = false;
    bool arriving_ = false;
    int nextBlock_ = 0; // the pass has coloured every block before this one
    bool recolouring_ = false;

    std::vector<ColourSpan> spans_;
};
