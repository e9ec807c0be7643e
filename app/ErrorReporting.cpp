#include "ErrorReporting.h"

#include "Dialogs.h"

#include <exception>
#include <new>

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
