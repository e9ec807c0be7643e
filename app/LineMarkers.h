#pragma once

#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextEdit>

class ShaderEditor;

// A checker's message tied to one line of an editor.
struct LineMarker {
    enum class Kind { Error, Warning };
    Kind kind = Kind::Error;
    QString message;
    int column = 0;     // 1-based; 0 when the checker named none
    QTextCursor range;  // the marked line; follows the text as lines are added or removed above
};

// The markers of one editor: a wavy underline on each marked line (an extra selection, so the
// document itself is never touched) and the data the gutter draws. Editing a marked line
// removes its markers; so does clear(), run when the page is checked again.
class LineMarkers : public QObject {
    Q_OBJECT
public:
    explicit LineMarkers(ShaderEditor* editor);

    struct Request {
        int line = 0; // 1-based
        int column = 0;
        LineMarker::Kind kind = LineMarker::Kind::Error;
        QString message;
    };
    // A check's findings go on in one batch, and the underlines are laid once. Past this many
    // markers on a page the rest stay unmarked (the output panel still lists them): a
    // shader with thousands of broken lines is no easier to read with thousands of
    // underlines, and every marker costs each edit a little.
    static constexpr int kMaxMarkers = 300;

    // Marks the lines (1-based) of the editor; lines past the end are not marked.
    void add(const QList<Request>& requests);
    void add(int line, int column, LineMarker::Kind kind, const QString& message)
    {
        add(QList<Request>{{line, column, kind, message}});
    }
    void clear();

    // The markers on a 0-based block number, in the order they were added.
    QList<const LineMarker*> onBlock(int blockNumber) const;
    // The messages of the markers on a block, one per line; empty when there is none.
    QString messagesOnBlock(int blockNumber) const;
    // The next marked block after fromBlock (before it when backward), wrapping around the
    // text; -1 when nothing is marked.
    int nextMarkedBlock(int fromBlock, bool forward) const;
    bool isEmpty() const { return markers_.isEmpty(); }
    int count() const { return int(markers_.size()); }

signals:
    void changed();

private:
    void contentsChanged(int position, int removed, int added);
    void refreshUnderlines();

    ShaderEditor* editor_;
    QList<LineMarker> markers_;
};
