// Messages of the checks tied to source lines: markers on the page that was checked, and a
// double-click on a message line in the output panel that takes the caret there.
#include "MainForm.h"

#include "GoToLine.h"
#include "LineMarkers.h"
#include "LogLineParser.h"
#include "OutputPanel.h"
#include "ShaderEditor.h"

#include <QCursor>
#include <QTabWidget>
#include <QHash>
#include <QTextBlock>
#include <QToolTip>

namespace {
// Compilers name the page's own text by its string number ("0") or by the validator's
// temporary file; any other name is a file the page included.
constexpr int kMaxFollowedPlaces = 2000;

bool IsIncludedFile(const QString& source)
{
    bool numbered = false;
    source.toInt(&numbered);
    return !numbered && !source.startsWith(QLatin1String("tmp."));
}
} // namespace

void TMainForm::runCheck(CheckedPages pages, const std::function<void()>& check)
{
    // Checking a page again starts it afresh: the markers of the last check go first.
    if (pages != CheckedPages::Fragment)
        ShaderRichEdit->markers().clear();
    if (pages != CheckedPages::Vertex)
        ShaderRichEditFS->markers().clear();
    panelTargets_.clear();
    check();
    markDiagnostics(pages);
}

void TMainForm::markDiagnostics(CheckedPages pages)
{
    panelTargets_.clear();
    const QStringList& lines = glslValidateMemo->lines();
    // In the combined check each log stands under the heading of its page; the program's log
    // names no page's lines.
    ShaderEditor* page = pages == CheckedPages::Fragment ? ShaderRichEditFS
                         : pages == CheckedPages::Vertex ? ShaderRichEdit
                                                         : nullptr;
    QHash<ShaderEditor*, QList<LineMarkers::Request>> requests;
    int placesKept = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& text = lines[i];
        if (pages == CheckedPages::Both) {
            if (text == QLatin1String("Vertex shader..."))
                page = ShaderRichEdit;
            else if (text == QLatin1String("Fragment shader..."))
                page = ShaderRichEditFS;
            else if (text == QLatin1String("Program object..."))
                page = nullptr;
        }
        if (!page)
            continue;
        const std::optional<LogMessage> message = ParseLogLine(text);
        if (!message || message->severity == LogMessage::Severity::Note)
            continue;
        // A message in an included file marks nothing on the page; a double-click names it.
        if (IsIncludedFile(message->source)) {
            panelTargets_.insert(i, PanelTarget{page, {}, message->source, message->line});
            continue;
        }
        const auto kind = message->severity == LogMessage::Severity::Error ? LineMarker::Kind::Error
                                                                           : LineMarker::Kind::Warning;
        QString shown = text;
        shown.remove(QLatin1Char('\r'));
        requests[page].append({message->line, message->column, kind, shown.trimmed()});
        if (message->line < 1 || message->line > page->document()->blockCount())
            continue;
        // Every place held as a cursor moves with each edit; past a few thousand the message
        // leads to its line number as the check gave it.
        QTextCursor at;
        if (placesKept++ < kMaxFollowedPlaces)
            at = CursorAt(page->document(), {message->line, message->column});
        panelTargets_.insert(i, PanelTarget{page, at, {}, message->line});
    }
    for (auto it = requests.cbegin(); it != requests.cend(); ++it)
        it.key()->markers().add(it.value());
    panelTargetLines_ = lines;
}

void TMainForm::forgetPanelTargets(ShaderEditor* editor)
{
    panelTargets_.removeIf([editor](const auto& target) { return target.value().editor == editor; });
}

void TMainForm::OutputLineActivated(int index)
{
    // The targets belong to the output they were read from; later output has none.
    if (glslValidateMemo->lines() != panelTargetLines_)
        return;
    const auto found = panelTargets_.constFind(index);
    if (found == panelTargets_.constEnd())
        return;
    if (!found->file.isEmpty()) {
        QToolTip::showText(QCursor::pos(), QStringLiteral("%1, line %2").arg(found->file).arg(found->line),
                           glslValidateMemo);
        return;
    }
    ShaderEditor* editor = found->editor;
    PageControl1->setCurrentWidget(editor == ShaderRichEdit ? VSTabSheet : FSTabSheet);
    // The place has moved with the edits made since the check, as the marker has.
    if (found->at.isNull())
        GoToLineColumn(editor, {found->line, 0});
    else
        editor->setTextCursor(QTextCursor(found->at));
    editor->ensureCursorVisible();
    editor->setFocus(Qt::OtherFocusReason);
}

void TMainForm::goToDiagnostic(bool forward)
{
    ShaderEditor* editor = activePage().editor;
    const int block = editor->markers().nextMarkedBlock(editor->textCursor().blockNumber(), forward);
    if (block < 0)
        return;
    GoToLineColumn(editor, {block + 1, editor->markers().onBlock(block).constFirst()->column});
    editor->setFocus(Qt::OtherFocusReason);
    QToolTip::showText(editor->viewport()->mapToGlobal(editor->cursorRect().bottomLeft()),
                       editor->markers().messagesOnBlock(block), editor->viewport());
}
