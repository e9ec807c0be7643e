#include "OutputPanel.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>

#include <algorithm>

namespace {
// Laying out a wrapped line costs time with its length; a line of megabytes (a log or a
// settings path gone wrong) would hold the window for seconds. Beyond this many characters
// the panel shows the start and says the line was cut; copying still gives the whole line.
constexpr qsizetype kShownLineChars = 4000;

QString cutMark(qsizetype length)
{
    return QStringLiteral(" [... line cut, %1 characters in all]").arg(length);
}

QString shown(const QString& line)
{
    QString text = line.size() > kShownLineChars ? line.left(kShownLineChars) : line;
    text.remove(QLatin1Char('\r'));
    if (line.size() > kShownLineChars)
        text += cutMark(line.size());
    return text;
}

bool isCut(const QString& line)
{
    return line.size() > kShownLineChars;
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

QMimeData* OutputPanel::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    bool anyCut = false;
    const QTextBlock first = document()->findBlock(selection.selectionStart());
    const QTextBlock last = document()->findBlock(selection.selectionEnd());
    for (QTextBlock b = first; b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next())
        anyCut = anyCut || (b.blockNumber() < lines_.size() && isCut(lines_[b.blockNumber()]));
    if (!anyCut)
        return QPlainTextEdit::createMimeDataFromSelection();
    // A cut line whose mark is selected is copied whole, as the program wrote it.
    QStringList parts;
    for (QTextBlock b = first; b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next()) {
        const int from = std::max(selection.selectionStart() - b.position(), 0);
        const int to = std::min(selection.selectionEnd() - b.position(), b.length() - 1);
        const int index = b.blockNumber();
        if (index < lines_.size() && isCut(lines_[index]) && to == b.length() - 1 && from < kShownLineChars)
            parts.append(QString(lines_[index]).remove(QLatin1Char('\r')).mid(from));
        else
            parts.append(b.text().mid(from, to - from));
    }
    auto* data = new QMimeData;
    data->setText(parts.join(QLatin1Char('\n')));
    return data;
}

void OutputPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    // One panel line is one text block: CRs are left out and no line holds a line feed.
    const int index = cursorForPosition(event->position().toPoint()).blockNumber();
    if (index >= 0 && index < lines_.size())
        emit lineActivated(index);
}
