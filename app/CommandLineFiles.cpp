#include "CommandLineFiles.h"

#include <QDir>

QStringList CommandLineFiles(const QStringList& arguments, const QString& startDirectory)
{
    QStringList files;
    const QDir start(startDirectory);
    for (const QString& argument : arguments.mid(1)) {
        if (!argument.isEmpty())
            files.append(QDir::cleanPath(start.absoluteFilePath(argument)));
    }
    return files;
}
