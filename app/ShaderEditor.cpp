#include "ShaderEditor.h"

#include "EditorGutter.h"
#include "LineHighlighter.h"
#include "LineMarkers.h"

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
    markers_ = new LineMarkers(this);
    gutter_ = new EditorGutter(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &ShaderEditor::updateGutterWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &ShaderEditor::updateGutterArea);
    connect(markers_, &LineMarkers::changed, gutter_, qOverload<>(&QWidget::update));
    updateGutterWidth();
}

QTextBlock ShaderEditor::firstVisibleTextBlock() const
{
    return firstVisibleBlock();
}

QRectF ShaderEditor::blockBoundsInViewport(const QTextBlock& block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

void ShaderEditor::updateGutterWidth()
{
    const int width = gutter_->preferredWidth();
    setViewportMargins(width, 0, 0, 0);
    const QRect area = contentsRect();
    gutter_->setGeometry(area.left(), area.top(), width, area.height());
}

void ShaderEditor::updateGutterArea(const QRect& rect, int dy)
{
    if (dy != 0)
        gutter_->scroll(0, dy);
    else
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
}

void ShaderEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    if (gutter_)
        updateGutterWidth();
}

void ShaderEditor::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (!gutter_)
        return; // still being built
    // A scheme change sets the palette; the gutter follows its colours.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        gutter_->setFont(font());
        updateGutterWidth();
        gutter_->update();
    }
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

QString ShaderEditor::pageText() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
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

QStringList DocumentLines(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // A soft line break (Shift+Return) inside a block is a line break to the reader too.
        lines.append(block.text().split(QChar::LineSeparator));
    }
    return lines;
}
