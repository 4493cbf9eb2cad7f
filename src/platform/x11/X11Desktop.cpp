#include "platform/x11/X11Desktop.h"

#include "platform/ScreenGrab.h"
#include "platform/x11/X11ClipboardWatch.h"
#include "platform/x11/XCaptureKeys.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XScreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

namespace {

class X11Desktop : public Desktop {
public:
    X11Desktop() : m_conn(std::make_shared<x11::XConnection>()) {}

    Capabilities capabilities() const override {
        return {m_conn->isValid() && m_conn->hasXFixes(), m_conn->isValid() && m_conn->hasXFixes(),
                m_conn->isValid()};
    }
    QSize primaryScreenSize() override {
        // Qt's geometry is in scaled pixels; captures and the pointer are in device pixels.
        const QScreen* s = QGuiApplication::primaryScreen();
        return s ? (QSizeF(s->geometry().size()) * s->devicePixelRatio()).toSize() : QSize();
    }
    std::unique_ptr<ClipboardWatch> createClipboardWatch() override {
        return std::make_unique<x11::X11ClipboardWatch>();
    }
    std::unique_ptr<ScreenSource> createScreenSource() override {
        return std::make_unique<x11::XScreenSource>();
    }
    // Under Wayland the server of XWayland sees keys only while one of its windows has the
    // focus, and only the desktop's portal may read the screen.
    std::unique_ptr<CaptureKeys> createCaptureKeys() override {
        if (waylandSession())
            return nullptr;
        return std::make_unique<x11::XCaptureKeys>();
    }
    std::unique_ptr<ScreenshotService> createScreenshotService() override {
        if (!waylandSession())
            return nullptr;
        return createScreenshotPortal();
    }

private:
    std::shared_ptr<x11::XConnection> m_conn;
};

} // namespace

std::unique_ptr<Desktop> createX11Desktop() {
    return std::make_unique<X11Desktop>();
}

} // namespace platform
