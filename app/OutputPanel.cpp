#include "OutputPanel.h"

#include <QMouseEvent>
#include <QTextBlock>

namespace {
QString shown(QString line)
{
    return line.remove(QLatin1Char('\r'));
}
} // namespace

OutputPanel::OutputPanel(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    // Users select and copy the messages, with the mouse or the keyboard.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
}

void OutputPanel::appendLine(const QString& line)
{
    lines_.append(line);
    appendPlainText(shown(line));
}

void OutputPanel::insertLine(int index, const QString& line)
{
    lines_.insert(qBound(0, index, int(lines_.size())), line);
    redisplay();
}

void OutputPanel::clearLines()
{
    lines_.clear();
    clear();
}

void OutputPanel::replaceLines(const QStringList& lines)
{
    lines_ = lines;
    redisplay();
}

void OutputPanel::redisplay()
{
    QStringList visible;
    visible.reserve(lines_.size());
    for (const QString& l : lines_)
        visible.append(shown(l));
    setPlainText(visible.join(QLatin1Char('\n')));
}

void OutputPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    // One panel line is one text block: CRs are left out and no line holds a line feed.
    const int index = cursorForPosition(event->position().toPoint()).blockNumber();
    if (index >= 0 && index < lines_.size())
        emit lineActivated(index);
}
