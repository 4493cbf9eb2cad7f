#include "platform/Platform.h"

#include "platform/ScreenGrab.h"
#include "platform/null/NullDesktop.h"
#ifdef TOLVIK_HAVE_X11
#include "platform/x11/X11Desktop.h"
#endif

#include <QGuiApplication>

namespace platform {

std::unique_ptr<Desktop> createDesktop() {
#ifdef TOLVIK_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return createX11Desktop();
#endif
    return std::make_unique<NullDesktop>();
}

bool waylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void chooseSessionPlatform() {
#ifdef TOLVIK_HAVE_X11
    if (waylandSession() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
}

} // namespace platform
