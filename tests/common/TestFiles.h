#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Small file helpers for tests working in temporary directories.
QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// Whether a process runs no more (gone, or a zombie waiting for whoever adopted it); waits
// up to two seconds for it to go.
bool ProcessGone(qint64 pid);

// The repository's source directory and the build's program directory.
QString SourcePath(const QString& relative);
QString ProgramDirPath(const QString& relative);

// Makes a working directory for a test and switches into it; switches back on destruction.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Limits the size of files this process writes, as a full disk would, and ignores the signal a
// write past it raises, so the write fails with EFBIG; both are restored on destruction.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(unsigned long bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    unsigned long oldCurrent_ = 0;
    void (*oldHandler_)(int) = nullptr;
};
