#include "CommandLineFiles.h"

#include <QDir>
#include <QFileInfo>

ShaderStage StageOfFileName(const QString& path)
{
    QString name = QFileInfo(path).fileName().toLower();
    if (name.endsWith(QLatin1String(".glsl")))
        name.chop(5);
    if (name.endsWith(QLatin1String(".vert")))
        return ShaderStage::Vertex;
    if (name.endsWith(QLatin1String(".frag")))
        return ShaderStage::Fragment;
    return ShaderStage::Unknown;
}

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
