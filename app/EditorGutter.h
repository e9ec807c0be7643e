#pragma once

#include <QWidget>

class ShaderEditor;

// The strip left of an editor's text: line numbers in the colour scheme's text and background
// colours, and the checkers' markers (a red disc for an error, an amber triangle for a warning).
class EditorGutter : public QWidget {
    Q_OBJECT
public:
    explicit EditorGutter(ShaderEditor* editor);

    int preferredWidth() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    ShaderEditor* editor_;
};
