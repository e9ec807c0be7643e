#pragma once

#include <QPlainTextEdit>
#include <QStringList>

class EditorGutter;
class LineHighlighter;
class LineMarkers;

// One shader editor page: monospaced, wrapping, no horizontal scroll bar, an always-visible
// vertical one, Tab moves the focus. Reports pointer moves in viewport coordinates for the
// function hints, and owns the highlighter that colours its lines.
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

    // The text exactly as it stands, lines separated by '\n'. toPlainText() would turn each
    // no-break space into a blank and each line separator into a line break.
    QString pageText() const;

signals:
    void pointerMoved(int x, int y);

protected:
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateGutterWidth();
    void updateGutterArea(const QRect& rect, int dy);

    LineHighlighter* highlighter_ = nullptr;
    LineMarkers* markers_ = nullptr;
    EditorGutter* gutter_ = nullptr;
};

// A page's logical lines as typed (one per text block), the form the driver checks take.
QStringList DocumentLines(const QTextDocument& document);
