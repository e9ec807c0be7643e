#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QStringList>

#include <memory>

class CompletionWords;
class EditorCompletion;
class EditorGutter;
class LineHighlighter;
class LineMarkers;
class QAction;
class QMimeData;
class TextLoader;
struct Preferences;

// One shader editor page: monospaced, wrapping, no horizontal scroll bar, an always-visible
// vertical one, Tab moves the focus (or indents, by preference). Reports pointer moves in
// viewport coordinates for the function hints, owns the highlighter that colours its lines,
// keeps the indentation on Return, offers completion, and hands dropped files on rather than
// pasting their names.
class ShaderEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ShaderEditor(QWidget* parent = nullptr);
    ~ShaderEditor() override;

    LineHighlighter& highlighter() { return *highlighter_; }
    LineMarkers& markers() { return *markers_; }
    const LineMarkers& markers() const { return *markers_; }
    EditorGutter& gutter() { return *gutter_; }

    // For the gutter: the first block in view and a block's place in viewport coordinates.
    QTextBlock firstVisibleTextBlock() const;
    QRectF blockBoundsInViewport(const QTextBlock& block) const;

    // Number of lines, not counting a last line that is empty; 0 for an empty editor.
    int lineCount() const;

    // The whole text, lines separated by '\n' (a text still loading is finished first).
    // toPlainText() would turn each no-break space into a blank and each line separator into a
    // line break.
    QString pageText();

    // Sets a file's text: the first firstLines lines at once, the rest from the event loop
    // (see TextLoader). Until the text is whole, typing, search, saving and the checks finish
    // the load before they look at the text.
    void loadText(const QString& text, int firstLines);
    bool isLoading() const;
    // The lines the text has, counting those a load has still to append: the gutter is made as
    // wide as the whole text needs from the start, so the text does not move when it ends.
    int lineCountWhenLoaded() const;
    // A piece of the loading text is being appended: a textChanged now is not an edit.
    bool isAppendingLoad() const;
    void finishLoading();
    void cancelLoading();

    // Tab width, Tab key, auto-indent and automatic completion.
    void applyPreferences(const Preferences& preferences);
    int tabWidth() const { return tabWidth_; }
    // Completion from these words (also on Ctrl+Space); until then the editor offers none.
    void setCompletionWords(std::shared_ptr<CompletionWords> words);
    EditorCompletion* completion() const { return completion_; }
    // The window's commands, listed with their keys below the context menu's own entries;
    // a null entry is a separator.
    void setCommandActions(const QList<QAction*>& actions) { commandActions_ = actions; }

    // Extra selections come from two sources: the find bar's matches and the markers' underlines.
    enum class SelectionLayer { Matches, Markers };
    void setSelectionLayer(SelectionLayer layer, const QList<QTextEdit::ExtraSelection>& selections);

signals:
    void pointerMoved(int x, int y);
    // Files were dropped on the editor (local paths).
    void filesDropped(const QStringList& paths);

protected:
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateGutterWidth();
    void updateGutterArea(const QRect& rect, int dy);
    void updateTabStop();
    // Wraps at any character when the text has a very long line (else, when the whole text is
    // being replaced, between words again).
    void wrapFor(QStringView text, bool replacing);

    LineHighlighter* highlighter_ = nullptr;
    LineMarkers* markers_ = nullptr;
    EditorGutter* gutter_ = nullptr;
    EditorCompletion* completion_ = nullptr;
    TextLoader* loader_ = nullptr;
    QList<QAction*> commandActions_;
    QList<QTextEdit::ExtraSelection> layers_[2];
    int tabWidth_ = 4;
    bool tabKeyIndents_ = false;
    bool autoIndent_ = true;
};

// The local files among dropped or pasted data; empty when there are none.
QStringList LocalFilesOf(const QMimeData* data);

// A page's logical lines as typed (one per text block), the form the driver checks take.
QStringList DocumentLines(const QTextDocument& document);
