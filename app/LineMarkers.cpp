#include "LineMarkers.h"

#include "ShaderEditor.h"

#include <QTextBlock>

#include <algorithm>

LineMarkers::LineMarkers(ShaderEditor* editor) : QObject(editor), editor_(editor)
{
    connect(editor->document(), &QTextDocument::contentsChange, this, &LineMarkers::contentsChanged);
}

void LineMarkers::add(const QList<Request>& requests)
{
    const qsizetype before = markers_.size();
    for (const Request& request : requests) {
        if (markers_.size() >= kMaxMarkers)
            break;
        const QTextBlock block = editor_->document()->findBlockByNumber(request.line - 1);
        if (request.line < 1 || !block.isValid())
            continue;
        LineMarker marker;
        marker.kind = request.kind;
        marker.message = request.message;
        marker.column = request.column;
        marker.range = QTextCursor(block);
        marker.range.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        markers_.append(marker);
    }
    if (markers_.size() == before)
        return;
    refreshUnderlines();
    emit changed();
}

void LineMarkers::clear()
{
    if (markers_.isEmpty())
        return;
    markers_.clear();
    refreshUnderlines();
    emit changed();
}

QList<const LineMarker*> LineMarkers::onBlock(int blockNumber) const
{
    QList<const LineMarker*> found;
    for (const LineMarker& m : markers_) {
        if (m.range.block().blockNumber() == blockNumber)
            found.append(&m);
    }
    return found;
}

int LineMarkers::nextMarkedBlock(int fromBlock, bool forward) const
{
    int wrapped = -1;
    int next = -1;
    for (const LineMarker& m : markers_) {
        const int block = m.range.block().blockNumber();
        if (forward) {
            if (block > fromBlock && (next < 0 || block < next))
                next = block;
            wrapped = wrapped < 0 ? block : std::min(wrapped, block);
        } else {
            if (block < fromBlock && block > next)
                next = block;
            wrapped = std::max(wrapped, block);
        }
    }
    return next >= 0 ? next : wrapped;
}

QString LineMarkers::messagesOnBlock(int blockNumber) const
{
    QStringList messages;
    for (const LineMarker* m : onBlock(blockNumber))
        messages.append(m->message);
    return messages.join(QLatin1Char('\n'));
}

void LineMarkers::contentsChanged(int position, int /*removed*/, int added)
{
    if (markers_.isEmpty())
        return;
    // A marker goes when its line was edited. A removed line's range has already collapsed
    // into the line the edit left behind, which lies in the same span.
    const QTextDocument* doc = editor_->document();
    const int first = doc->findBlock(position).blockNumber();
    const int last = doc->findBlock(position + std::max(added, 0)).blockNumber();
    const qsizetype before = markers_.size();
    markers_.removeIf([&](const LineMarker& m) {
        const int line = m.range.block().blockNumber();
        return line >= first && (line <= last || last < 0);
    });
    if (markers_.size() != before) {
        refreshUnderlines();
        emit changed();
    }
}

void LineMarkers::refreshUnderlines()
{
    QList<QTextEdit::ExtraSelection> selections;
    for (const LineMarker& m : markers_) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(m.range.block());
        s.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        s.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        s.format.setUnderlineColor(m.kind == LineMarker::Kind::Error ? QColor(0xE0, 0x20, 0x20)
                                                                     : QColor(0xE0, 0xA0, 0x00));
        selections.append(s);
    }
    editor_->setSelectionLayer(ShaderEditor::SelectionLayer::Markers, selections);
}
