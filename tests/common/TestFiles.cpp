#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

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
