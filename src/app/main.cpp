#include "app/Sys.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The clipboard owner and the pointer are read through X11; under Wayland use XWayland.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return Sys::Main(app);
}
