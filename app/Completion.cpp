#include "Completion.h"

#include "HelpSystem.h"
#include "LanguageSyntax.h"
#include "LineColouring.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

namespace {

constexpr int kAutomaticPrefixLength = 3;

bool LessIgnoringCase(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

CompletionWords::CompletionWords(const QStringList& words, const THelpSystem* hints)
{
    for (const QString& entry : words) {
        const QString word = entry.trimmed();
        if (!word.isEmpty() && IsWordCharacter(word[0].unicode()))
            words_.append(word);
    }
    if (hints)
        words_.append(hints->Names);
    std::stable_sort(words_.begin(), words_.end(), LessIgnoringCase);
    words_.erase(std::unique(words_.begin(), words_.end(),
                             [](const QString& a, const QString& b) {
                                 return QString::compare(a, b, Qt::CaseInsensitive) == 0;
                             }),
                 words_.end());
    words_.removeAll(QString());

    model_.setColumnCount(1);
    for (const QString& word : std::as_const(words_)) {
        auto* item = new QStandardItem;
        QString shown = word;
        if (hints && hints->Names.contains(word, Qt::CaseInsensitive)) {
            const QString hint = hints->GetHint(word);
            if (hint != QLatin1String(kNoHintText))
                shown = hint.section(QLatin1Char('\r'), 0, 0);
        }
        item->setText(shown);
        item->setData(word, kWordRole);
        item->setEditable(false);
        model_.appendRow(item);
    }
}

std::shared_ptr<CompletionWords> CompletionWords::FromWordLists(const THelpSystem* hints)
{
    return std::make_shared<CompletionWords>(DataTypes + TypeQualifiers + FunctionNames + StateVars, hints);
}

bool CompletionWords::offersMoreThan(QStringView prefix) const
{
    const QString key = prefix.toString();
    auto it = std::lower_bound(words_.cbegin(), words_.cend(), key, LessIgnoringCase);
    for (; it != words_.cend() && it->startsWith(key, Qt::CaseInsensitive); ++it) {
        if (it->size() > key.size())
            return true;
    }
    return false;
}

EditorCompletion::EditorCompletion(QPlainTextEdit* editor, std::shared_ptr<CompletionWords> words)
    : QObject(editor), editor_(editor), words_(std::move(words))
{
    completer_ = new QCompleter(words_->model(), this);
    completer_->setWidget(editor);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
    completer_->setCompletionRole(CompletionWords::kWordRole);
    completer_->setWrapAround(false);
    completer_->popup()->setObjectName(QStringLiteral("CompletionList"));
    connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { insert(index.data(CompletionWords::kWordRole).toString()); });
}

bool EditorCompletion::isOpen() const
{
    return completer_->popup()->isVisible();
}

bool EditorCompletion::listTakes(const QKeyEvent* event) const
{
    if (!isOpen())
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return false;
    }
}

QString EditorCompletion::wordBeforeCaret() const
{
    const QTextCursor caret = editor_->textCursor();
    const QString line = caret.block().text();
    int start = caret.positionInBlock();
    const int end = start;
    while (start > 0 && IsWordCharacter(line[start - 1].unicode()))
        --start;
    return line.mid(start, end - start);
}

void EditorCompletion::keyHandled(const QKeyEvent* event)
{
    const QString typed = event->text();
    const bool wordKey = !typed.isEmpty() && IsWordCharacter(typed.back().unicode());
    if (isOpen()) {
        const QString prefix = wordBeforeCaret();
        const bool narrowing = wordKey || event->key() == Qt::Key_Backspace;
        // A word typed out in full needs no list any more.
        if (prefix.isEmpty() || !narrowing || !words_->offersMoreThan(prefix))
            completer_->popup()->hide();
        else
            show(prefix);
        return;
    }
    if (!automatic_ || !wordKey || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return;
    const QString prefix = wordBeforeCaret();
    if (prefix.size() >= kAutomaticPrefixLength && words_->offersMoreThan(prefix))
        show(prefix);
}

void EditorCompletion::complete()
{
    show(wordBeforeCaret());
}

void EditorCompletion::show(const QString& prefix)
{
    completer_->setCompletionPrefix(prefix);
    if (completer_->completionCount() == 0) {
        completer_->popup()->hide();
        return;
    }
    QAbstractItemView* list = completer_->popup();
    list->setCurrentIndex(completer_->completionModel()->index(0, 0));
    QRect at = editor_->cursorRect();
    at.translate(editor_->viewport()->pos());
    at.setWidth(list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width() + 8);
    completer_->complete(at);
}

void EditorCompletion::insert(const QString& word)
{
    if (word.isEmpty())
        return;
    QTextCursor caret = editor_->textCursor();
    caret.beginEditBlock();
    caret.clearSelection();
    caret.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(wordBeforeCaret().size()));
    caret.insertText(word);
    caret.endEditBlock();
    editor_->setTextCursor(caret);
}
