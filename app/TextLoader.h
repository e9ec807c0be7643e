#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

// Puts a file's text into an editor progressively: the first lines at once, so they can be
// coloured and shown, and the rest appended at the end in short slices from the event loop.
// The appends are no edit of the user's: they never enter the undo history (the history is
// off until the text is whole) and the owner can tell them apart with isAppending().
// Whoever reads the whole text (save, checks, search) calls finish() first.
class TextLoader : public QObject {
    Q_OBJECT
public:
    explicit TextLoader(QPlainTextEdit* editor);

    // Replaces the editor's text. A text of more than firstLines lines shows those at once and
    // the rest soon after; a shorter one is set whole, as setPlainText does. A load still
    // running is dropped.
    void load(const QString& text, int firstLines);
    bool isLoading() const { return next_ >= 0; }
    // The lines the editor holds once the load has ended.
    int finalLineCount() const { return finalLines_; }
    // True while a slice of the text is being appended (its textChanged is not the user's).
    bool isAppending() const { return appending_; }
    // Appends everything that is left, before returning.
    void finish();
    // Drops what is left (the text is being replaced).
    void cancel();

signals:
    // The text is whole.
    void finished();

private:
    void appendSlice(qint64 budgetNs);

    QPlainTextEdit* editor_;
    QString text_;
    qsizetype next_ = -1; // where the rest starts in text_; -1 when nothing is loading
    int finalLines_ = 0;
    QTimer sliceTimer_;
    bool appending_ = false;
};
