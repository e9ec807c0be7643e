#include "LineHighlighter.h"

#include "EditorPalette.h"

#include "LanguageSyntax.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// An edit touching more lines than this (a file's text set at once, a huge paste) colours the
// lines that can be in view at once and leaves the rest to a pass from the event loop.
constexpr int kEditBlockLimit = 1000;

// How often a slice looks at the clock, in blocks.
constexpr int kClockInterval = 32;

// A block's userState holds the generation it was coloured in, shifted left by three; bit 0
// tells whether its layout holds formats of ours, bit 1 whether the line ends inside a block
// comment, bit 2 whether it was coloured as starting inside one. A new block has -1: taken as
// not coloured and perhaps holding formats.
constexpr int kGenerationShift = 3;
constexpr int kHoldsFormats = 1;
constexpr int kEndsInComment = 2;
constexpr int kStartsInComment = 4;
constexpr int kLastGeneration = std::numeric_limits<int>::max() >> kGenerationShift;

bool MayHoldFormats(int state)
{
    return state < 0 || (state & kHoldsFormats);
}

bool EndsInComment(const QTextBlock& block)
{
    const int state = block.isValid() ? block.userState() : -1;
    return state >= 0 && (state & kEndsInComment);
}

// Whether the block was coloured with the comment state its line now starts in; a line whose
// line above opened or closed a block comment since must be coloured again.
bool StartMatches(const QTextBlock& block)
{
    const int state = block.userState();
    return state >= 0 && bool(state & kStartsInComment) == EndsInComment(block.previous());
}

// A coloured block that must be coloured again because the line above changed its comment
// state. Blocks never coloured are left to the pass that is running for them.
bool StartChanged(const QTextBlock& block)
{
    return block.isValid() && block.userState() >= 0 && !StartMatches(block);
}

} // namespace

LineHighlighter::LineHighlighter(QPlainTextEdit* editor)
    : LineHighlighter(editor, LineColourer::FromWordLists())
{
}

LineHighlighter::LineHighlighter(QPlainTextEdit* editor, LineColourer colourer)
    : QObject(editor), editor_(editor), document_(editor->document()), colourer_(std::move(colourer))
{
    sliceTimer_.setSingleShot(true);
    sliceTimer_.setInterval(0);
    connect(&sliceTimer_, &QTimer::timeout, this, [this] { runSlice(sliceBudgetNs_); });
    connect(document_, &QTextDocument::contentsChange, this, &LineHighlighter::contentsChange);
    editor->viewport()->installEventFilter(this);
}

LineHighlighter::~LineHighlighter() = default;

void LineHighlighter::setColourer(LineColourer colourer)
{
    colourer_ = std::move(colourer);
}

void LineHighlighter::nextGeneration()
{
    generation_ = generation_ >= kLastGeneration ? 1 : generation_ + 1;
}

void LineHighlighter::HighlightAllLines()
{
    if (!document_)
        return;
    nextGeneration();
    refreshFormats();
    pending_ = true;
    nextBlock_ = 0;
    colourVisibleBlocks();
    runSlice(sliceBudgetNs_);
}

void LineHighlighter::setTextArriving(bool arriving)
{
    if (arriving_ == arriving)
        return;
    arriving_ = arriving;
    if (!arriving_ && !pending_)
        emit allLinesColoured();
}

void LineHighlighter::finishPending()
{
    if (pending_)
        runSlice(std::numeric_limits<qint64>::max());
}

void LineHighlighter::runSlice(qint64 budgetNs)
{
    if (!pending_ || !document_)
        return;
    QElapsedTimer clock;
    clock.start();
    refreshFormats();
    // The view may have moved since the last slice: what the user sees comes first.
    colourVisibleBlocks();

    QTextBlock block = document_->findBlockByNumber(nextBlock_);
    int from = -1;
    int to = -1;
    int count = 0;
    {
        const QScopedValueRollback<bool> busy(recolouring_, true);
        while (block.isValid()) {
            if (!isDone(block)) {
                colourBlock(block);
                if (from < 0)
                    from = block.position();
                to = block.position() + block.length();
            }
            block = block.next();
            ++nextBlock_;
            if (++count % kClockInterval == 0 && clock.nsecsElapsed() >= budgetNs)
                break;
        }
    }
    // The blocks in view were coloured above with a repaint; these are out of view.
    if (from >= 0)
        flush(from, to, false);

    if (block.isValid()) {
        sliceTimer_.start();
        return;
    }
    pending_ = false;
    sliceTimer_.stop();
    if (!arriving_)
        emit allLinesColoured();
}

void LineHighlighter::contentsChange(int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    if (recolouring_ || !document_)
        return;
    QTextBlock first = document_->findBlock(position);
    QTextBlock last = document_->findBlock(position + charsAdded);
    if (!first.isValid())
        first = document_->lastBlock();
    if (!last.isValid())
        last = document_->lastBlock();
    refreshFormats();

    const int firstNumber = first.blockNumber();
    const int touched = last.blockNumber() - firstNumber + 1;
    if (pending_ && firstNumber < nextBlock_)
        nextBlock_ = firstNumber;
    if (touched <= kEditBlockLimit) {
        colourRange(first, last, false, true);
        return;
    }

    // Too many lines to colour within one keystroke's time. The lines that can be in view
    // right after this edit are at either end of it (a loaded file shows its start, a paste
    // its end); the rest follows from the event loop, and a paint colours what it shows.
    // Lines before the edit keep correct colours but may be coloured once more.
    nextGeneration();
    if (!pending_)
        nextBlock_ = firstNumber;
    pending_ = true;
    const int screen = visibleBlockCount();
    const int lastNumber = last.blockNumber();
    const QTextBlock headEnd = document_->findBlockByNumber(std::min(firstNumber + screen - 1, lastNumber));
    const QTextBlock tailStart = document_->findBlockByNumber(std::max(firstNumber, lastNumber - screen + 1));
    colourRange(first, headEnd, true, true);
    colourRange(tailStart, last, true, true);
    sliceTimer_.start();
}

QTextBlock LineHighlighter::firstVisibleBlock() const
{
    return editor_ ? editor_->cursorForPosition(QPoint(0, 0)).block() : QTextBlock();
}

int LineHighlighter::visibleBlockCount() const
{
    if (!editor_)
        return 0;
    // Every visible block takes at least one line, so this many blocks fill the view at most.
    const int lineHeight = std::max(1, editor_->fontMetrics().lineSpacing());
    return editor_->viewport()->height() / lineHeight + 2;
}

void LineHighlighter::colourVisibleBlocks()
{
    const QTextBlock first = firstVisibleBlock();
    if (!first.isValid())
        return;
    QTextBlock last = document_->findBlockByNumber(first.blockNumber() + visibleBlockCount() - 1);
    if (!last.isValid())
        last = document_->lastBlock();
    colourRange(first, last, true);
}

void LineHighlighter::colourRange(const QTextBlock& first, const QTextBlock& last, bool skipDone, bool edited)
{
    if (!first.isValid() || !last.isValid() || last.blockNumber() < first.blockNumber())
        return;
    int from = -1;
    int to = -1;
    {
        const QScopedValueRollback<bool> busy(recolouring_, true);
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (!skipDone || !isDone(block)) {
                colourBlock(block);
                if (!edited) {
                    if (from < 0)
                        from = block.position();
                    to = block.position() + block.length();
                }
            }
            if (block == last)
                break;
        }
        // A block comment opened or closed here changes the lines below it up to where their
        // state agrees again: those that can be in view now, the rest from the event loop.
        QTextBlock next = last.next();
        for (int budget = visibleBlockCount(); StartChanged(next) && budget > 0; --budget) {
            colourBlock(next);
            if (from < 0)
                from = next.position();
            to = next.position() + next.length();
            next = next.next();
        }
        if (StartChanged(next)) {
            nextBlock_ = pending_ ? std::min(nextBlock_, next.blockNumber()) : next.blockNumber();
            pending_ = true;
            sliceTimer_.start();
        }
    }
    if (from >= 0)
        flush(from, to, true);
}

bool LineHighlighter::isDone(const QTextBlock& block) const
{
    const int state = block.userState();
    return state >= 0 && (state >> kGenerationShift) == generation_ && StartMatches(block);
}

void LineHighlighter::colourBlock(const QTextBlock& block)
{
    const QString text = block.text();
    const bool startsInComment = EndsInComment(block.previous());
    const bool endsInComment = colourer_.colourLine(text, spans_, startsInComment);
    const int commentBits = (startsInComment ? kStartsInComment : 0) | (endsInComment ? kEndsInComment : 0);
    // Plain text needs no format: it is drawn in the palette's text colour, which is kept at
    // TextColour. Fewer formats make a long file colour faster and use less memory.
    qsizetype count = 0;
    for (const ColourSpan& span : spans_)
        count += span.role != SyntaxRole::Text;
    // A line past this length (generated data, minified code) is shown uncoloured, as other
    // editors do; its comment state still carries on. The layout merges every format range of
    // a line each time it draws it, which made a key in a megabyte line take a tenth of a
    // second and more.
    constexpr qsizetype kMaxColouredLine = 20000;
    if (text.size() > kMaxColouredLine)
        count = 0;
    QTextBlock writable(block);
    if (count == 0 && !MayHoldFormats(block.userState())) {
        writable.setUserState((generation_ << kGenerationShift) | commentBits);
        return;
    }
    // A fresh list of the exact size: the layout keeps it, and a reused one would hand every
    // block the capacity of the longest line seen so far.
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(count);
    for (const ColourSpan& span : spans_) {
        if (span.role != SyntaxRole::Text)
            ranges.append(QTextLayout::FormatRange{span.start, span.length, formats_[int(span.role)]});
    }
    QTextLayout* layout = block.layout();
    layout->setFormats(ranges);
    writable.setUserState((generation_ << kGenerationShift) | commentBits | (count > 0 ? kHoldsFormats : 0));
    if (!formatsShared_)
        shareFormats(layout->formats());
}

// The layout swaps each format for the document's own copy of it, found by comparing the two
// property by property. Using those copies from then on makes that a pointer comparison.
void LineHighlighter::shareFormats(const QList<QTextLayout::FormatRange>& resolved)
{
    for (const QTextLayout::FormatRange& r : resolved) {
        for (int role = 0; role < kSyntaxRoleCount; ++role) {
            if (!formatShared_[role] && r.format == formats_[role]) {
                formats_[role] = r.format;
                formatShared_[role] = true;
            }
        }
    }
    // Plain text has no format of its own (it takes the palette's colour).
    formatsShared_ = std::all_of(formatShared_ + 1, formatShared_ + kSyntaxRoleCount, [](bool b) { return b; });
}

void LineHighlighter::flush(int from, int to, bool repaint)
{
    const QScopedValueRollback<bool> busy(recolouring_, true);
    // Within an edit the document collects the range and lays it out once the edit is done;
    // otherwise the layout drops the lines of these blocks and lays them out again when shown.
    const int length = std::min(to, document_->characterCount()) - from;
    if (length <= 0)
        return;
    if (repaint) {
        document_->markContentsDirty(from, length);
        return;
    }
    const QSignalBlocker quiet(document_->documentLayout());
    document_->markContentsDirty(from, length);
}

void LineHighlighter::refreshFormats()
{
    const QColor colours[kSyntaxRoleCount] = {
        ColourScheme.TextColour,         ColourScheme.DataTypeColour, ColourScheme.TypeQualifierColour,
        ColourScheme.FunctionNameColour, ColourScheme.StateVarColour, ColourScheme.CommentColour,
    };
    if (editor_)
        SyncEditorTextColour(editor_);
    if (formatsMade_ && std::equal(colours, colours + kSyntaxRoleCount, formatColours_))
        return;
    for (int role = 0; role < kSyntaxRoleCount; ++role) {
        QTextCharFormat format;
        format.setForeground(colours[role]);
        // The style set is always given whole: only state variables are underlined.
        format.setFontWeight(QFont::Normal);
        format.setFontItalic(false);
        format.setFontStrikeOut(false);
        format.setFontUnderline(SyntaxRole(role) == SyntaxRole::StateVar);
        formats_[role] = format;
        formatColours_[role] = colours[role];
        formatShared_[role] = false;
    }
    formatsShared_ = false;
    formatsMade_ = true;
}

bool LineHighlighter::eventFilter(QObject* watched, QEvent* event)
{
    // While a pass runs, a paint (after scrolling, say) must not show uncoloured lines: colour
    // them now. The paint may cover only part of the view, so the view is still told to repaint
    // what changed; the next paint then finds nothing left to colour.
    if (event->type() == QEvent::Paint && pending_ && !recolouring_ && editor_
        && watched == editor_->viewport())
        colourVisibleBlocks();
    return QObject::eventFilter(watched, event);
}
