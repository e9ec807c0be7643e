#include "KeyProbe.h"
#include "Percentile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Adds up the area of every paint event in the application.
class PaintArea : public QObject {
public:
    qint64 area = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) {
                area += qint64(r.width()) * r.height();
                // With LUMENPAD_KEYPROBE_WIDGETS set, each repainted widget and rectangle.
                if (qEnvironmentVariableIsSet("LUMENPAD_KEYPROBE_WIDGETS"))
                    std::fprintf(stderr, "paint %s %s %dx%d+%d+%d\n", watched->metaObject()->className(),
                                 qPrintable(watched->objectName()), r.width(), r.height(), r.x(), r.y());
            }
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void MeasureKeysToPaint(QPlainTextEdit& editor, int keys)
{
    // Keys go to the middle of a line in the middle of the file (on a one-line file, the middle
    // of that line); every twentieth key moves on to the next line, within the file.
    const QTextDocument& document = *editor.document();
    const int middle = document.blockCount() / 2;
    const auto middleOf = [&](int line) {
        const QTextBlock block = document.findBlockByNumber(std::min(line, document.blockCount() - 1));
        QTextCursor c(block);
        c.setPosition(block.position() + (block.length() - 1) / 2);
        return c;
    };
    editor.setFocus();
    editor.setTextCursor(middleOf(middle));
    editor.centerCursor();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();

    PaintArea probe;
    qApp->installEventFilter(&probe);
    std::vector<double> times;
    std::vector<double> areas;
    QElapsedTimer clock;
    for (int i = 0; i < keys; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        probe.area = 0;
        probe.paints = 0;
        clock.start();
        QApplication::sendEvent(&editor, &press);
        // The repaint is posted; the turn of the event loop that follows paints it. A key that
        // paints nothing at once (a busy widget) is given a few more turns.
        for (int turn = 0; turn < 20 && probe.paints == 0; ++turn)
            QApplication::processEvents();
        times.push_back(clock.nsecsElapsed() / 1e3);
        areas.push_back(double(probe.area));
        QApplication::sendEvent(&editor, &release);
        if (i % 20 == 19) {
            editor.setTextCursor(middleOf(middle + i / 20 + 1));
            for (int turn = 0; turn < 3; ++turn)
                QApplication::processEvents();
        }
    }
    qApp->removeEventFilter(&probe);
    std::printf("key-to-paint-p50-us: %.1f us\n", Percentile(times, 50));
    std::printf("key-to-paint-p99-us: %.1f us\n", Percentile(times, 99));
    std::printf("key-paint-area-px: %.0f px\n", Percentile(areas, 50));
    std::fflush(stdout);
}
