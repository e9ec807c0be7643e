#pragma once

// The window's recovery file (see RecoveryFile.h): the pages with unsaved changes, written a
// few seconds after they change and whenever a check is about to hand their text to another
// program, removed when no page holds unsaved changes any more and when the window closes.
// Each window writes a file of its own, held by a lock file for as long as it runs; a file
// whose lock nobody holds was left by a window that ended without closing.

#include "RecoveryFile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

class QLockFile;

class CrashRecovery : public QObject {
public:
    // collect gives the pages to keep (none: the file goes). The first write comes
    // intervalMs after the first change; changes meanwhile ride along with it.
    CrashRecovery(std::function<QList<RecoveredPage>()> collect, QObject* parent, int intervalMs = 2000,
                  const QString& dir = RecoveryDirPath());
    ~CrashRecovery() override;

    // A page changed: a write follows within the interval.
    void noteChange();
    // Writes the pages now (or removes the file when there is none to keep). A file that
    // cannot be written is said on the error channel; the editor goes on.
    void writeNow();
    // The window closes normally: nothing to recover.
    void discard();

    // The newest file a window that ended without closing left, read; empty pages when there
    // is none (files that cannot be read are removed). Taken over until dismissLeftBehind().
    QList<RecoveredPage> takeLeftBehind();
    // Removes the file takeLeftBehind() read: restored or declined, it is done with.
    void dismissLeftBehind();

private:
    struct Written {
        QByteArray bytes;
        int error = 0; // errno of a failed write
    };
    // A write on a worker (the timer's) or now; a worker's write still running is waited for
    // first, as by discard().
    void write(bool inBackground);
    void finishBackgroundWrite();
    void noteWritten(Written written);

    std::function<QList<RecoveredPage>()> collect_;
    QString dir_;
    QString ownPath_;
    std::unique_ptr<QLockFile> ownLock_;
    QString leftPath_;
    std::unique_ptr<QLockFile> leftLock_;
    QTimer timer_;
    QByteArray written_; // what the file holds now; empty when there is no file
    std::future<Written> background_;
    bool reportedFailure_ = false;
};
