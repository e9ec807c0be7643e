#include "ShaderEditor.h"

#include "Completion.h"
#include "EditorDocumentLayout.h"
#include "EditorGutter.h"
#include "Indentation.h"
#include "LineHighlighter.h"
#include "LineMarkers.h"
#include "PageFileText.h"
#include "Preferences.h"
#include "TextLoader.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

ShaderEditor::ShaderEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    auto* text = new QTextDocument(this);
    text->setDocumentLayout(new EditorDocumentLayout(text));
    setDocument(text);
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
    loader_ = new TextLoader(this);
    connect(loader_, &TextLoader::finished, highlighter_, [this] { highlighter_->setTextArriving(false); });
    connect(this, &QPlainTextEdit::blockCountChanged, this, &ShaderEditor::updateGutterWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &ShaderEditor::updateGutterArea);
    connect(markers_, &LineMarkers::changed, gutter_, qOverload<>(&QWidget::update));
    updateGutterWidth();
    updateTabStop();
}

void ShaderEditor::updateTabStop()
{
    setTabStopDistance(QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')) * tabWidth_);
}

void ShaderEditor::applyPreferences(const Preferences& preferences)
{
    tabWidth_ = std::clamp(preferences.tabWidth, kMinTabWidth, kMaxTabWidth);
    tabKeyIndents_ = preferences.tabKeyIndents;
    autoIndent_ = preferences.autoIndent;
    setTabChangesFocus(!tabKeyIndents_);
    if (completion_)
        completion_->setAutomatic(preferences.completion);
    updateTabStop();
}

void ShaderEditor::setCompletionWords(std::shared_ptr<CompletionWords> words)
{
    const bool automatic = !completion_ || completion_->isAutomatic();
    delete completion_;
    completion_ = new EditorCompletion(this, std::move(words));
    completion_->setAutomatic(automatic);
}

void ShaderEditor::setSelectionLayer(SelectionLayer layer, const QList<QTextEdit::ExtraSelection>& selections)
{
    layers_[int(layer)] = selections;
    setExtraSelections(layers_[0] + layers_[1]);
}

namespace {
// A line longer than this has the text wrap at any character: breaking only between words,
// the layout looks for the next word's end again for every screen line of a line without
// blanks, which takes time growing with the square of its length.
constexpr qsizetype kLongLine = 10000;

bool HasLongLine(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        if (end - start > kLongLine)
            return true;
        start = end + 1;
    }
    return false;
}
} // namespace

void ShaderEditor::wrapFor(QStringView text, bool replacing)
{
    const bool longLines = HasLongLine(text);
    if (longLines || replacing)
        setWordWrapMode(longLines ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void ShaderEditor::loadText(const QString& text, int firstLines)
{
    wrapFor(text, true);
    loader_->load(text, firstLines);
    highlighter_->setTextArriving(loader_->isLoading());
}

bool ShaderEditor::isLoading() const
{
    return loader_->isLoading();
}

int ShaderEditor::lineCountWhenLoaded() const
{
    return loader_->isLoading() ? std::max(blockCount(), loader_->finalLineCount()) : blockCount();
}

bool ShaderEditor::isAppendingLoad() const
{
    return loader_->isAppending();
}

void ShaderEditor::finishLoading()
{
    loader_->finish();
}

void ShaderEditor::cancelLoading()
{
    loader_->cancel();
    highlighter_->setTextArriving(false);
}

// Every edit of the user's lands in the whole text: the rest of a loading file comes first.
void ShaderEditor::inputMethodEvent(QInputMethodEvent* event)
{
    finishLoading();
    QPlainTextEdit::inputMethodEvent(event);
}

void ShaderEditor::insertFromMimeData(const QMimeData* source)
{
    finishLoading();
    if (source && source->hasText() && wordWrapMode() != QTextOption::WrapAnywhere)
        wrapFor(source->text(), false);
    // A NUL could never be saved: a file holding one is no text file, and this editor would
    // refuse to open it again.
    if (source && source->hasText() && source->text().contains(QChar(0))) {
        QMimeData cleaned;
        cleaned.setText(source->text().remove(QChar(0)));
        QPlainTextEdit::insertFromMimeData(&cleaned);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void ShaderEditor::keyPressEvent(QKeyEvent* event)
{
    finishLoading();
    if (completion_ && completion_->listTakes(event)) {
        event->ignore(); // the list takes or closes
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (tabKeyIndents_ && !isReadOnly()) {
        if (event->key() == Qt::Key_Backtab || (event->key() == Qt::Key_Tab && mods == Qt::ShiftModifier)) {
            UnindentLines(this, tabWidth_);
            return;
        }
        if (event->key() == Qt::Key_Tab && mods == Qt::NoModifier) {
            if (SelectionSpansLines(this))
                IndentLines(this, tabWidth_);
            else
                InsertSoftTab(this, tabWidth_);
            return;
        }
    }
    if (autoIndent_ && !isReadOnly() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && mods == Qt::NoModifier) {
        InsertIndentedLineBreak(this);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
    if (completion_)
        completion_->keyHandled(event);
}

void ShaderEditor::contextMenuEvent(QContextMenuEvent* event)
{
    finishLoading();
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!commandActions_.isEmpty())
        menu->addSeparator();
    for (QAction* action : std::as_const(commandActions_)) {
        if (action)
            menu->addAction(action);
        else
            menu->addSeparator();
    }
    menu->exec(event->globalPos());
}

QStringList LocalFilesOf(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

void ShaderEditor::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFilesOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void ShaderEditor::dragMoveEvent(QDragMoveEvent* event)
{
    if (!LocalFilesOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void ShaderEditor::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFilesOf(event->mimeData());
    if (files.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(files);
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
    // A change within one line (a key, the caret's blink, a selection, new colours) leaves every
    // number where it was: the layout asks for the whole view when lines come, go or change
    // height, and the markers repaint the gutter themselves.
    else if (rect.height() >= viewport()->height())
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
    if (event->type() == QEvent::FontChange)
        updateTabStop();
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

QString ShaderEditor::pageText()
{
    finishLoading();
    return PageText(*document());
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
