#include "OutputPanel.h"

#include <QScrollBar>

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
