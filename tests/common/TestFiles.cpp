#include "TestFiles.h"

#include <QThread>

#include <QDir>
#include <QFile>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString SourcePath(const QString& relative)
{
    return QDir(QStringLiteral(LUMENPAD_SOURCE_DIR)).filePath(relative);
}

QString ProgramDirPath(const QString& relative)
{
    return QDir(QStringLiteral(LUMENPAD_PROGRAM_DIR)).filePath(relative);
}

ScopedWorkDir::ScopedWorkDir() : previous_(QDir::currentPath())
{
    if (!dir_.isValid() || !QDir::setCurrent(dir_.path()))
        throw std::runtime_error("cannot make a working directory");
}

ScopedWorkDir::~ScopedWorkDir()
{
    QDir::setCurrent(previous_);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long bytes)
{
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    oldCurrent_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldCurrent_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

bool ProcessGone(qint64 pid)
{
    for (int i = 0; i < 200; ++i) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray s = stat.readAll();
        const qsizetype paren = s.lastIndexOf(')');
        if (paren >= 0 && s.mid(paren + 2, 1) == "Z")
            return true;
        QThread::msleep(10);
    }
    return false;
}
