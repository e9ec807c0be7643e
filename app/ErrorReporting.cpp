#include "ErrorReporting.h"

#include "Dialogs.h"
#include "LumenpadError.h"

#include <exception>
#include <new>

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

void RunHandler(Dialogs& dialogs, const std::function<void()>& handler)
{
    QString message;
    try {
        handler();
        return;
    } catch (const LumenpadError& e) {
        message = e.message();
    } catch (const std::bad_alloc&) {
        message = QStringLiteral("Zu wenig Arbeitsspeicher");
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    }
    dialogs.showError(ErrorBoxText(message));
}
