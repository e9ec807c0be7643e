#include "TextLoader.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>

namespace {

// Lines per append: each append is coloured as it arrives (the highlighter colours an edit of
// up to a thousand lines at once), so a slice stays a few milliseconds long.
constexpr int kLinesPerAppend = 500;
// Work per slice before the event loop gets its turn.
constexpr qint64 kSliceBudgetNs = 6'000'000;

// Where the text after the first `lines` line breaks starts; -1 when it has no more breaks.
// The cut always follows a '\n', so a CR LF pair is never split in two.
qsizetype AfterLines(const QString& text, qsizetype from, int lines)
{
    qsizetype at = from;
    for (int n = 0; n < lines; ++n) {
        at = text.indexOf(QLatin1Char('\n'), at);
        if (at < 0)
            return -1;
        ++at;
    }
    return at;
}

} // namespace

TextLoader::TextLoader(QPlainTextEdit* editor) : QObject(editor), editor_(editor)
{
    sliceTimer_.setSingleShot(true);
    sliceTimer_.setInterval(0);
    connect(&sliceTimer_, &QTimer::timeout, this, [this] { appendSlice(kSliceBudgetNs); });
}

void TextLoader::load(const QString& text, int firstLines)
{
    cancel();
    const qsizetype cut = AfterLines(text, 0, std::max(firstLines, 1));
    // Too short to be worth splitting: the rest would be less than the first part.
    if (cut < 0 || AfterLines(text, cut, std::max(firstLines, 1)) < 0) {
        editor_->setPlainText(text);
        return;
    }
    text_ = text;
    next_ = cut;
    finalLines_ = int(std::min<qsizetype>(text.count(QLatin1Char('\n')) + 1, std::numeric_limits<int>::max()));
    // Inserting at the end of a text that ends in a line break continues in its empty last
    // line, so the pieces make the same blocks as the whole text set at once.
    editor_->setPlainText(text_.left(cut));
    editor_->document()->setUndoRedoEnabled(false);
    sliceTimer_.start();
}

void TextLoader::cancel()
{
    if (next_ < 0)
        return;
    sliceTimer_.stop();
    text_.clear();
    next_ = -1;
    editor_->document()->setUndoRedoEnabled(true);
}

void TextLoader::finish()
{
    if (next_ >= 0)
        appendSlice(std::numeric_limits<qint64>::max());
}

void TextLoader::appendSlice(qint64 budgetNs)
{
    if (next_ < 0)
        return;
    QElapsedTimer clock;
    clock.start();
    QTextDocument* document = editor_->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    const int firstNew = document->blockCount() - 1;
    {
        const QScopedValueRollback<bool> busy(appending_, true);
        QTextCursor end(document);
        end.movePosition(QTextCursor::End);
        // The appended lines lie below the view: the layout's repaint of the whole view and
        // gutter for each append is held back (the size change is told once, below).
        const QSignalBlocker quiet(layout);
        while (next_ < text_.size()) {
            qsizetype stop = AfterLines(text_, next_, kLinesPerAppend);
            if (stop < 0)
                stop = text_.size();
            end.insertText(text_.mid(next_, stop - next_));
            next_ = stop;
            if (clock.nsecsElapsed() >= budgetNs)
                break;
        }
    }
    emit layout->documentSizeChanged(layout->documentSize());
    // Lines that arrive where the view shows them (a view at the end of the first part) are
    // painted now, with their gutter.
    const QTextBlock first = document->findBlockByNumber(firstNew);
    if (first.isValid() && editor_->cursorRect(QTextCursor(first)).top() < editor_->viewport()->height())
        emit layout->update();

    if (next_ < text_.size()) {
        sliceTimer_.start();
        return;
    }
    text_.clear();
    next_ = -1;
    document->setUndoRedoEnabled(true);
    document->setModified(false);
    emit finished();
}
