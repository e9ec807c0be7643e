#include "WindowDeviceContext.h"

#include "GLContext.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

void* GetDC(QWidget* window)
{
    // The display belongs to the application's connection, not to one window.
    Q_UNUSED(window);
    const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
    if (platform == QLatin1String("xcb")) {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (x11 && x11->display())
            return OpenDeviceContext(WindowSystem::X11, x11->display());
        if (x11 && x11->connection())
            return OpenDeviceContext(WindowSystem::Xcb, x11->connection());
        return OpenDeviceContext(WindowSystem::Headless, nullptr);
    }
#endif
    if (platform.startsWith(QLatin1String("wayland"))) {
        // Qt before 6.5 does not hand out its wl_display; the device context then opens a
        // connection of its own to the same compositor.
        return OpenDeviceContext(WindowSystem::Wayland, nullptr);
    }
    return OpenDeviceContext(WindowSystem::Headless, nullptr);
}

void ReleaseDC(void* dc)
{
    ReleaseDeviceContext(dc);
}
