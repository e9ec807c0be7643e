#pragma once

#include <QObject>
#include <QStandardItemModel>
#include <QStringList>

#include <memory>

class QCompleter;
class QKeyEvent;
class QPlainTextEdit;
class THelpSystem;

// The words completion offers: the entries of the word lists and the functions of the hint
// catalogue, each once, sorted ignoring letter case. A function with a hint is shown by its
// prototype (the hint's first line), every other word by itself.
class CompletionWords {
public:
    CompletionWords(const QStringList& words, const THelpSystem* hints);
    // The module's four word lists and the catalogue (which may be null).
    static std::shared_ptr<CompletionWords> FromWordLists(const THelpSystem* hints);

    // Shown text in Qt::DisplayRole, the word in kWordRole; sorted by the word, ignoring case.
    QStandardItemModel* model() { return &model_; }
    static constexpr int kWordRole = Qt::UserRole;

    // Whether a word longer than prefix starts with it, ignoring case.
    bool offersMoreThan(QStringView prefix) const;

private:
    QStringList words_; // sorted ignoring case
    QStandardItemModel model_;
};

// Completion in one editor: Ctrl+Space (complete()) lists the words starting with the word
// before the caret; with automatic on, so does typing the third character of a word that a
// longer listed word starts with. Return, Enter or Tab takes the chosen word, Escape closes.
class EditorCompletion : public QObject {
    Q_OBJECT
public:
    EditorCompletion(QPlainTextEdit* editor, std::shared_ptr<CompletionWords> words);

    void setAutomatic(bool on) { automatic_ = on; }
    bool isAutomatic() const { return automatic_; }
    void complete();
    bool isOpen() const;
    QCompleter* completer() const { return completer_; }

    // Before the editor handles a key: whether the open list takes it (the editor then ignores it).
    bool listTakes(const QKeyEvent* event) const;
    // After the editor handled a key: opens, narrows or closes the list.
    void keyHandled(const QKeyEvent* event);

private:
    QString wordBeforeCaret() const;
    void show(const QString& prefix);
    void insert(const QString& word);

    QPlainTextEdit* editor_;
    std::shared_ptr<CompletionWords> words_;
    QCompleter* completer_;
    bool automatic_ = true;
};
