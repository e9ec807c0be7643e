#include "EditorGutter.h"

#include "LineMarkers.h"
#include "ShaderEditor.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QToolTip>

EditorGutter::EditorGutter(ShaderEditor* editor) : QWidget(editor), editor_(editor)
{
    setObjectName(QStringLiteral("LineNumberGutter"));
    // The gutter fills what it paints: the widgets behind it need not paint that strip too.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int EditorGutter::preferredWidth() const
{
    int digits = 1;
    for (int n = std::max(1, editor_->lineCountWhenLoaded()); n >= 10; n /= 10)
        ++digits;
    const int marker = fontMetrics().height();
    return 6 + marker + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

QSize EditorGutter::sizeHint() const
{
    return {preferredWidth(), 0};
}

void EditorGutter::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QPalette& p = editor_->palette();
    painter.fillRect(event->rect(), p.color(QPalette::Base));
    QColor numbers = p.color(QPalette::Text);
    numbers.setAlphaF(0.6f);
    painter.setPen(numbers);
    painter.setFont(font());

    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = metrics.height();
    const int baseline = metrics.ascent();
    const int markerSize = std::max(6, lineHeight - 6);
    QTextBlock block = editor_->firstVisibleTextBlock();
    int top = qRound(editor_->blockBoundsInViewport(block).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int bottom = top + qRound(editor_->blockBoundsInViewport(block).height());
        if (block.isVisible() && bottom >= event->rect().top()) {
            painter.setPen(numbers);
            // Placed by hand: the rectangle-and-flags form lays the text out anew on every call.
            const QString number = QString::number(block.blockNumber() + 1);
            painter.drawText(width() - 4 - metrics.horizontalAdvance(number), top + baseline, number);
            const auto markers = editor_->markers().onBlock(block.blockNumber());
            if (!markers.isEmpty()) {
                const bool error = std::any_of(markers.begin(), markers.end(), [](const LineMarker* m) {
                    return m->kind == LineMarker::Kind::Error;
                });
                const QRectF box(3, top + (lineHeight - markerSize) / 2.0, markerSize, markerSize);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(Qt::NoPen);
                if (error) {
                    painter.setBrush(QColor(0xE0, 0x20, 0x20));
                    painter.drawEllipse(box);
                } else {
                    QPainterPath triangle;
                    triangle.moveTo(box.center().x(), box.top());
                    triangle.lineTo(box.right(), box.bottom());
                    triangle.lineTo(box.left(), box.bottom());
                    triangle.closeSubpath();
                    painter.setBrush(QColor(0xF0, 0xB0, 0x00));
                    painter.drawPath(triangle);
                }
                painter.setRenderHint(QPainter::Antialiasing, false);
            }
        }
        block = block.next();
        top = bottom;
    }
}

bool EditorGutter::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // A marker's messages show when the pointer rests on it.
        const auto* help = static_cast<QHelpEvent*>(event);
        const QTextCursor at = editor_->cursorForPosition(QPoint(0, help->pos().y()));
        const QString text = editor_->markers().messagesOnBlock(at.blockNumber());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}
