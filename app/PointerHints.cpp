// The pointer hints of the two shader editors: the word under the pointer, looked up among
// the built-in function names, switches the editor's tool-tip and pointer shape.

#include "MainForm.h"

#include "HelpSystem.h"
#include "HintTiming.h"
#include "HintWordScan.h"
#include "LanguageSyntax.h"
#include "LineMarkers.h"
#include "ShaderEditor.h"

#include <QCursor>
#include <QPlainTextEdit>
#include <QPoint>
#include <QRect>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>

namespace {

// Where an editor keeps its last hint text; it stays while the tool-tip is off.
constexpr const char* kHintTextProperty = "hintText";

// Once a hint is shown it stays up this long, and so does every later tool-tip.
constexpr int kShownHintHidePause = 500000;

// The tool-tip as shown. A hint is plain text; one that happens to look like markup is
// escaped so it is shown as written.
QString HintToolTip(const QString& hint)
{
    const QString shown = ToolTipDisplayText(hint);
    return Qt::mightBeRichText(shown) ? Qt::convertFromPlainText(shown, Qt::WhiteSpaceNormal)
                                      : shown;
}

// The index of the character under a viewport point. Qt answers with the caret position
// nearest to the point, which is the boundary after the character once the point is on its
// right half; the character itself is the one before that boundary then.
int CharacterFromPoint(const QPlainTextEdit* editor, QPoint point)
{
    const QTextCursor nearest = editor->cursorForPosition(point);
    const int k = nearest.position();
    if (k <= nearest.block().position())
        return k;
    const QRect caret = editor->cursorRect(nearest);
    if (caret.x() <= point.x())
        return k;
    QTextCursor before(nearest);
    before.setPosition(k - 1);
    // At a wrap the boundary starts the next screen line; the character before ends another.
    return editor->cursorRect(before).top() == caret.top() ? k - 1 : k;
}

// The text of the logical line under a viewport point and the 0-based position in it of
// the character under the point. False where the point lies on no counted line or on an
// empty one.
bool LineUnderPointer(const ShaderEditor* editor, QPoint point, QString& text, int& position)
{
    const int k = CharacterFromPoint(editor, point);
    if (k < 0)
        return false;
    const QTextBlock block = editor->document()->findBlock(k);
    if (!block.isValid() || block.blockNumber() > editor->lineCount() - 1)
        return false;
    text = block.text();
    position = k - block.position();
    return !text.isEmpty();
}

} // namespace

void TMainForm::ShaderRichEditMouseMove(int x, int y)
{
    UpdateWordHint(ShaderRichEdit, x, y);
}

void TMainForm::ShaderRichEditFSMouseMove(int x, int y)
{
    UpdateWordHint(ShaderRichEditFS, x, y);
}

void TMainForm::UpdateWordHint(ShaderEditor* editor, int x, int y)
{
    if (!editor)
        return;
    QWidget* view = editor->viewport();
    const QString tipBefore = view->toolTip();

    view->setCursor(Qt::IBeamCursor);
    view->setToolTip(QString());

    QString line;
    int position = 0;
    if (LineUnderPointer(editor, QPoint(x, y), line, position)) {
        HintWord = ExtractHintWord(line, position);
        // Without a catalogue (its start-up step failed) there is nothing to show.
        if (FindWordIndex(FunctionNames, HintWord) >= 0 && HelpSystem) {
            const QString hint = HelpSystem->GetHint(HintWord);
            editor->setProperty(kHintTextProperty, hint);
            view->setToolTip(HintToolTip(hint));
            SetHintHidePause(kShownHintHidePause);
            view->setCursor(Qt::WhatsThisCursor);
        }
    }

    // A checker's messages on the line under the pointer are shown too, above any hint.
    const QString messages =
        editor->markers().messagesOnBlock(editor->cursorForPosition(QPoint(x, y)).blockNumber());
    if (!messages.isEmpty()) {
        const QString hint = view->toolTip();
        QString tip = Qt::convertFromPlainText(messages, Qt::WhiteSpaceNormal);
        if (!hint.isEmpty())
            tip += Qt::mightBeRichText(hint) ? hint : Qt::convertFromPlainText(hint, Qt::WhiteSpaceNormal);
        view->setToolTip(tip);
    }
    // A tip still up for the word just left would otherwise stay for the long pause.
    const QString tipNow = view->toolTip();
    if (!tipBefore.isEmpty() && tipNow != tipBefore && QToolTip::isVisible()
        && QToolTip::text() == tipBefore)
        QToolTip::hideText();
}
