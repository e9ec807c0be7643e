#pragma once

#include <QPlainTextEdit>

class LineHighlighter;

// One shader editor page: monospaced, wrapping, no horizontal scroll bar, an always-visible
// vertical one, Tab moves the focus. Reports pointer moves in viewport coordinates for the
// function hints, and owns the highlighter that colours its lines.
class ShaderEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ShaderEditor(QWidget* parent = nullptr);
    ~ShaderEditor() override;

    LineHighlighter& highlighter() { return *highlighter_; }

    // Number of lines, not counting a last line that is empty; 0 for an empty editor.
    int lineCount() const;

signals:
    void pointerMoved(int x, int y);

protected:
    bool viewportEvent(QEvent* event) override;

private:
    LineHighlighter* highlighter_;
};
