#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The read-only output panel (glslValidateMemo). It keeps its lines exactly as the program
// wrote them (a log's CR characters included) and shows them with CRs left out, since the
// text document would otherwise take a CR for a line break. A very long line is shown cut,
// with a mark; copying it gives the whole line.
class OutputPanel : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OutputPanel(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    void insertLine(int index, const QString& line);
    void clearLines();
    void replaceLines(const QStringList& lines);

    // The lines exactly as written.
    const QStringList& lines() const { return lines_; }

signals:
    // The user double-clicked the line at this index.
    void lineActivated(int index);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void redisplay();

    QStringList lines_;
};
