#include "FindBar.h"

#include "ShaderEditor.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QToolButton>

namespace {

// More matches than this are not highlighted (the count says so); a long file with a common
// search text would otherwise take long to mark.
constexpr int kMaxHighlighted = 2000;
constexpr int kHighlightDelayMs = 60;

// "\1" to "\9" stand for the groups of a regular-expression match, "\0" for the whole match,
// "\n" and "\t" for a line break and a tab, "\\" for a backslash.
QString ExpandReplacement(const QString& replacement, const QRegularExpressionMatch& match)
{
    QString out;
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c != QLatin1Char('\\') || i + 1 == replacement.size()) {
            out += c;
            continue;
        }
        const QChar next = replacement[++i];
        if (next.isDigit())
            out += match.captured(next.digitValue());
        else if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else
            out += next;
    }
    return out;
}

} // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    findText_ = new QLineEdit;
    findText_->setObjectName(QStringLiteral("FindText"));
    findText_->setPlaceholderText(QStringLiteral("Find"));
    replaceText_ = new QLineEdit;
    replaceText_->setObjectName(QStringLiteral("ReplaceText"));
    replaceText_->setPlaceholderText(QStringLiteral("Replace with"));
    matchCase_ = new QCheckBox(QStringLiteral("Match case"));
    wholeWords_ = new QCheckBox(QStringLiteral("Whole words"));
    regex_ = new QCheckBox(QStringLiteral("Regular expression"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("FindStatus"));

    auto button = [this](const QString& text, const QString& tip, auto slot) {
        auto* b = new QToolButton;
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };

    auto* findRow = new QHBoxLayout;
    findRow->setContentsMargins(0, 0, 0, 0);
    findRow->addWidget(findText_, 1);
    findRow->addWidget(button(QStringLiteral("Previous"), QStringLiteral("Find previous (Shift+F3)"),
                              [this] { findPrevious(); }));
    findRow->addWidget(button(QStringLiteral("Next"), QStringLiteral("Find next (F3)"), [this] { findNext(); }));
    findRow->addWidget(matchCase_);
    findRow->addWidget(wholeWords_);
    findRow->addWidget(regex_);
    findRow->addWidget(status_);
    findRow->addWidget(button(QStringLiteral("\u00D7"), QStringLiteral("Close (Escape)"), [this] { closeBar(); }));

    replaceRow_ = new QWidget;
    auto* replaceRow = new QHBoxLayout(replaceRow_);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    replaceRow->addWidget(replaceText_, 1);
    replaceRow->addWidget(button(QStringLiteral("Replace"), QStringLiteral("Replace this match and find the next"),
                                 [this] { replaceOne(); }));
    replaceRow->addWidget(button(QStringLiteral("Replace All"), QStringLiteral("Replace every match in the page"),
                                 [this] { replaceAll(); }));
    replaceRow->addStretch();

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 2, 2, 2);
    rows->setSpacing(2);
    rows->addLayout(findRow);
    rows->addWidget(replaceRow_);

    connect(findText_, &QLineEdit::textEdited, this, &FindBar::findAsTyped);
    connect(findText_, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(replaceText_, &QLineEdit::returnPressed, this, [this] { replaceOne(); });
    for (QCheckBox* option : {matchCase_, wholeWords_, regex_})
        connect(option, &QCheckBox::toggled, this, &FindBar::findAsTyped);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &FindBar::closeBar);
    escape->setContext(Qt::WidgetWithChildrenShortcut);

    highlightTimer_.setSingleShot(true);
    highlightTimer_.setInterval(kHighlightDelayMs);
    connect(&highlightTimer_, &QTimer::timeout, this, &FindBar::highlightMatches);
    hide();
}

void FindBar::setEditor(ShaderEditor* editor)
{
    if (editor == editor_)
        return;
    const bool open = !isHidden();
    if (editor_) {
        editor_->setSelectionLayer(ShaderEditor::SelectionLayer::Matches, {});
        disconnect(contentsConnection_);
    }
    editor_ = editor;
    if (!editor)
        return;
    if (auto* layout = editor->parentWidget() ? qobject_cast<QBoxLayout*>(editor->parentWidget()->layout()) : nullptr)
        layout->addWidget(this);
    contentsConnection_ = connect(editor->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!isHidden())
            highlightTimer_.start();
    });
    setVisible(open);
    if (open)
        highlightTimer_.start();
}

QString FindBar::statusText() const
{
    return status_->text();
}

void FindBar::showStatus(const QString& text)
{
    status_->setText(text);
}

void FindBar::openFind()
{
    open(false);
}

void FindBar::openReplace()
{
    open(true);
}

void FindBar::open(bool withReplace)
{
    if (!editor_)
        return;
    const QString selected = editor_->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        findText_->setText(regex_->isChecked() ? QRegularExpression::escape(selected) : selected);
    replaceRow_->setVisible(withReplace);
    // The clear button's icon is looked up in the icon themes on disk: a bar that is never
    // opened does not make the start-up pay for it.
    findText_->setClearButtonEnabled(true);
    show();
    findText_->setFocus(Qt::ShortcutFocusReason);
    findText_->selectAll();
    highlightMatches();
}

void FindBar::closeBar()
{
    hide();
    highlightTimer_.stop();
    if (!editor_)
        return;
    editor_->setSelectionLayer(ShaderEditor::SelectionLayer::Matches, {});
    editor_->setFocus(Qt::OtherFocusReason);
}

QRegularExpression FindBar::expression() const
{
    const QString text = findText_->text();
    if (text.isEmpty())
        return {};
    QString pattern = regex_->isChecked() ? text : QRegularExpression::escape(text);
    if (wholeWords_->isChecked())
        pattern = QStringLiteral("(?<!\\w)(?:") + pattern + QStringLiteral(")(?!\\w)");
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!matchCase_->isChecked())
        options |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(pattern, options);
}

QTextDocument::FindFlags FindBar::flags() const
{
    return matchCase_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}

QTextCursor FindBar::search(int position, bool backward) const
{
    const QRegularExpression re = expression();
    if (!editor_ || findText_->text().isEmpty() || !re.isValid())
        return {};
    editor_->finishLoading();
    const QTextDocument* document = editor_->document();
    const QTextDocument::FindFlags options = flags() | (backward ? QTextDocument::FindBackward : QTextDocument::FindFlags());
    const int end = document->characterCount();
    for (int round = 0; round < 2; ++round) {
        int from = round == 0 ? position : (backward ? end : 0);
        QTextCursor found = document->find(re, from, options);
        // A match of no characters selects nothing; the search goes on past it.
        while (!found.isNull() && !found.hasSelection()) {
            from = found.position() + (backward ? 0 : 1);
            if (from <= 0 || from >= end)
                break;
            found = document->find(re, from, options);
        }
        if (!found.isNull() && found.hasSelection())
            return found;
    }
    return {};
}

bool FindBar::select(const QTextCursor& found)
{
    if (found.isNull()) {
        showStatus(findText_->text().isEmpty() ? QString()
                   : expression().isValid()    ? QStringLiteral("Not found")
                                               : QStringLiteral("Invalid expression"));
        return false;
    }
    editor_->setTextCursor(found);
    editor_->ensureCursorVisible();
    highlightTimer_.start();
    return true;
}

bool FindBar::find(bool backward)
{
    if (!editor_)
        return false;
    const QTextCursor caret = editor_->textCursor();
    const QTextCursor found = search(backward ? caret.selectionStart() : caret.selectionEnd(), backward);
    const bool wrapped = !found.isNull() && (backward ? found.selectionStart() >= caret.selectionStart()
                                                      : found.selectionEnd() <= caret.selectionEnd());
    const bool ok = select(found);
    if (ok)
        showStatus(wrapped ? QStringLiteral("Search wrapped") : QString());
    return ok;
}

bool FindBar::findNext()
{
    return find(false);
}

bool FindBar::findPrevious()
{
    return find(true);
}

void FindBar::findAsTyped()
{
    if (!editor_)
        return;
    // The match grows with the text typed: the search starts where the selection starts.
    if (select(search(editor_->textCursor().selectionStart(), false)))
        showStatus(QString());
    highlightTimer_.start();
}

bool FindBar::isMatch(const QTextCursor& selection) const
{
    if (!selection.hasSelection())
        return false;
    const QTextCursor found = search(selection.selectionStart(), false);
    return found.selectionStart() == selection.selectionStart() && found.selectionEnd() == selection.selectionEnd();
}

QString FindBar::replacementFor(const QTextCursor& match) const
{
    if (!regex_->isChecked())
        return replaceText_->text();
    const QTextBlock block = match.document()->findBlock(match.selectionStart());
    QString text = block.text();
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    const QRegularExpressionMatch m = expression().match(text, match.selectionStart() - block.position(),
                                                         QRegularExpression::NormalMatch,
                                                         QRegularExpression::AnchorAtOffsetMatchOption);
    return ExpandReplacement(replaceText_->text(), m);
}

bool FindBar::replaceOne()
{
    if (!editor_ || editor_->isReadOnly())
        return false;
    QTextCursor caret = editor_->textCursor();
    if (!isMatch(caret)) {
        findNext();
        return false;
    }
    caret.insertText(replacementFor(caret));
    editor_->setTextCursor(caret);
    findNext();
    return true;
}

int FindBar::replaceAll()
{
    if (!editor_ || editor_->isReadOnly() || findText_->text().isEmpty() || !expression().isValid())
        return 0;
    editor_->finishLoading();
    QTextDocument* document = editor_->document();
    const QRegularExpression re = expression();
    int count = 0;
    int from = 0;
    QTextCursor edit(document);
    edit.beginEditBlock();
    while (from < document->characterCount()) {
        QTextCursor found = document->find(re, from, flags());
        if (found.isNull())
            break;
        if (!found.hasSelection()) {
            from = found.position() + 1;
            continue;
        }
        found.insertText(replacementFor(found));
        from = found.position();
        ++count;
    }
    edit.endEditBlock();
    showStatus(QStringLiteral("%1 replaced").arg(count));
    highlightTimer_.start();
    return count;
}

void FindBar::highlightMatches()
{
    if (!editor_)
        return;
    QList<QTextEdit::ExtraSelection> marks;
    const QRegularExpression re = expression();
    if (!isHidden() && !findText_->text().isEmpty() && re.isValid()) {
        const QTextDocument* document = editor_->document();
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(QColor(255, 200, 0, 110));
        int from = 0;
        while (marks.size() <= kMaxHighlighted) {
            QTextCursor found = document->find(re, from, flags());
            if (found.isNull())
                break;
            from = found.position() + (found.hasSelection() ? 0 : 1);
            if (!found.hasSelection())
                continue;
            mark.cursor = found;
            marks.append(mark);
        }
        if (status_->text().isEmpty() || status_->text().endsWith(QLatin1String("matches")) ||
            status_->text().endsWith(QLatin1String("match")))
            showStatus(marks.size() > kMaxHighlighted ? QStringLiteral("more than %1 matches").arg(kMaxHighlighted)
                       : marks.size() == 1            ? QStringLiteral("1 match")
                                                      : QStringLiteral("%1 matches").arg(marks.size()));
        if (marks.size() > kMaxHighlighted)
            marks.removeLast();
    }
    editor_->setSelectionLayer(ShaderEditor::SelectionLayer::Matches, marks);
}
