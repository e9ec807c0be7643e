#include "CrashRecovery.h"

#include "TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <cstdio>

namespace {

const QString kPrefix = QStringLiteral("pages-");
const QString kSuffix = QStringLiteral(".lpr");

// Only a lock whose process is gone counts as stale: a window may run for days.
std::unique_ptr<QLockFile> TryLock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

} // namespace

CrashRecovery::CrashRecovery(std::function<QList<RecoveredPage>()> collect, QObject* parent, int intervalMs,
                             const QString& dir)
    : QObject(parent), collect_(std::move(collect)), dir_(dir),
      ownPath_(QDir(dir).filePath(kPrefix + QString::number(QCoreApplication::applicationPid()) + kSuffix))
{
    timer_.setSingleShot(true);
    timer_.setInterval(intervalMs);
    // The timer's writes are encoded and written on a worker: a page of megabytes took a
    // sixth of a second, a stall in the middle of typing.
    connect(&timer_, &QTimer::timeout, this, [this] { write(true); });
}

CrashRecovery::~CrashRecovery()
{
    discard();
}

void CrashRecovery::noteChange()
{
    if (!timer_.isActive())
        timer_.start();
}

void CrashRecovery::writeNow()
{
    write(false);
}

void CrashRecovery::write(bool inBackground)
{
    timer_.stop();
    finishBackgroundWrite();
    QList<RecoveredPage> pages = collect_();
    if (pages.isEmpty()) {
        discard();
        return;
    }
    if (!ownLock_) {
        // The folder is the user's alone: the pages may be anything they typed.
        if (QDir().mkpath(dir_)) {
            QFile::setPermissions(dir_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            ownLock_ = TryLock(ownPath_);
        }
        if (!ownLock_) {
            noteWritten({{}, EACCES});
            return;
        }
    }
    auto job = [pages = std::move(pages), path = ownPath_, previous = written_]() -> Written {
        QByteArray bytes = EncodeRecovery(pages);
        if (bytes == previous)
            return {std::move(bytes), 0};
        const int error = WriteFileAtomically(path, bytes);
        return {std::move(bytes), error};
    };
    if (inBackground)
        background_ = std::async(std::launch::async, std::move(job));
    else
        noteWritten(job());
}

void CrashRecovery::finishBackgroundWrite()
{
    if (background_.valid())
        noteWritten(background_.get());
}

void CrashRecovery::noteWritten(Written written)
{
    if (written.error == 0) {
        written_ = std::move(written.bytes);
        reportedFailure_ = false;
    } else if (!reportedFailure_) {
        reportedFailure_ = true;
        std::fprintf(stderr, "lumenpad: cannot write the recovery file %s: %s\n", qPrintable(ownPath_),
                     qPrintable(SystemReason(written.error)));
    }
}

void CrashRecovery::discard()
{
    timer_.stop();
    finishBackgroundWrite();
    if (!written_.isEmpty())
        QFile::remove(ownPath_);
    written_.clear();
    ownLock_.reset();
}

QList<RecoveredPage> CrashRecovery::takeLeftBehind()
{
    dismissLeftBehind();
    QFileInfoList files =
        QDir(dir_).entryInfoList({kPrefix + QLatin1Char('*') + kSuffix}, QDir::Files | QDir::NoSymLinks, QDir::Time);
    for (const QFileInfo& file : files) {
        const QString path = file.absoluteFilePath();
        if (path == QFileInfo(ownPath_).absoluteFilePath())
            continue;
        std::unique_ptr<QLockFile> lock = TryLock(path);
        if (!lock)
            continue; // a window that still runs
        QByteArray bytes;
        std::optional<QList<RecoveredPage>> pages;
        if (file.size() <= kMaxRecoveryFileBytes && ReadFileBytes(path, bytes) == 0)
            pages = DecodeRecovery(bytes);
        if (!pages || pages->isEmpty()) {
            QFile::remove(path);
            continue;
        }
        leftPath_ = path;
        leftLock_ = std::move(lock);
        return *pages;
    }
    return {};
}

void CrashRecovery::dismissLeftBehind()
{
    if (!leftPath_.isEmpty())
        QFile::remove(leftPath_);
    leftPath_.clear();
    leftLock_.reset();
}
