#include "LumenpadError.h"

QString FileOpenMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, reason);
}

QString FileCreateMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason);
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
