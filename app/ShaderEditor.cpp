#include "ShaderEditor.h"

#include "LineHighlighter.h"

#include <QMouseEvent>
#include <QTextBlock>

ShaderEditor::ShaderEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(10);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    highlighter_ = new LineHighlighter(this);
}

ShaderEditor::~ShaderEditor() = default;

int ShaderEditor::lineCount() const
{
    const QTextDocument* doc = document();
    int count = doc->blockCount();
    if (doc->lastBlock().text().isEmpty())
        --count;
    return count;
}

bool ShaderEditor::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPoint at = move->position().toPoint();
        emit pointerMoved(at.x(), at.y());
    }
    return QPlainTextEdit::viewportEvent(event);
}
