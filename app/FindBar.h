#pragma once

#include <QPointer>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ShaderEditor;

// Find and replace in the active page, as a bar below its editor. The search is incremental
// (the match follows the typed text), optionally case-sensitive, whole-word or a regular
// expression, and every match in the page is highlighted while the bar is open. Replace all
// is one undo step. Escape closes the bar and returns to the editor.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    // The editor searched from now on; the bar moves below it, open or closed as it was.
    void setEditor(ShaderEditor* editor);

    // Opens the bar with the selected text (when it lies on one line) as the search text.
    void openFind();
    void openReplace();
    void closeBar();

    // Select the next or previous match, wrapping around the page; false when there is none.
    bool findNext();
    bool findPrevious();
    // Replaces the selected match and selects the next; false when nothing was replaced.
    bool replaceOne();
    // Replaces every match in the page as one undo step; returns how many.
    int replaceAll();

    // For the key table and tests.
    QLineEdit* findField() const { return findText_; }
    QLineEdit* replaceField() const { return replaceText_; }
    QCheckBox* caseOption() const { return matchCase_; }
    QCheckBox* wordOption() const { return wholeWords_; }
    QCheckBox* regexOption() const { return regex_; }
    QString statusText() const;

private:
    void open(bool withReplace);
    // Searches from position; wraps once around the page.
    QTextCursor search(int position, bool backward) const;
    bool select(const QTextCursor& found);
    bool find(bool backward);
    void findAsTyped();
    // The regular expression searched for; invalid when the text is empty or not a valid expression.
    QRegularExpression expression() const;
    QTextDocument::FindFlags flags() const;
    QString replacementFor(const QTextCursor& match) const;
    bool isMatch(const QTextCursor& selection) const;
    void highlightMatches();
    void showStatus(const QString& text);

    QPointer<ShaderEditor> editor_;
    QLineEdit* findText_;
    QLineEdit* replaceText_;
    QWidget* replaceRow_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWords_;
    QCheckBox* regex_;
    QLabel* status_;
    QTimer highlightTimer_;
    QMetaObject::Connection contentsConnection_;
};
