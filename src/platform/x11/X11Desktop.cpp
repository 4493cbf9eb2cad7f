#include "platform/x11/X11Desktop.h"

#include "platform/ScreenGrab.h"
#include "platform/x11/X11ClipboardWatch.h"
#include "platform/x11/XCaptureKeys.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XScreen.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#ifdef TOLVIK_HAVE_WAYLAND
#include "platform/wayland/SwayVisibility.h"
#include "platform/wayland/WaylandClipboardWatch.h"
#include "platform/wayland/WlClipboardReader.h"
#endif

namespace platform {

namespace {

Q_LOGGING_CATEGORY(lcDesktop, "tolvik.desktop", QtWarningMsg)

class X11Desktop : public Desktop {
public:
    X11Desktop() : m_conn(std::make_shared<x11::XConnection>()) {
#ifdef TOLVIK_HAVE_WAYLAND
        const bool wayland = waylandSession();
        m_road = chooseClipboardRoad(qEnvironmentVariable("TOLVIK_CLIPBOARD"), wayland,
                                     wayland && wayland::dataControlAvailable());
#endif
        qCInfo(lcDesktop) << "clipboard watched through"
                          << (m_road == ClipboardRoad::Wayland ? "the compositor" : "the X server");
    }

    Capabilities capabilities() const override {
        const bool xfixes = m_conn->isValid() && m_conn->hasXFixes();
        // The compositor tells only what is offered: no pointer, no window.
        if (m_road == ClipboardRoad::Wayland)
            return {true, false, false};
        return {xfixes, xfixes, m_conn->isValid()};
    }
    QSize primaryScreenSize() override {
        // Qt's geometry is in scaled pixels; captures and the pointer are in device pixels.
        const QScreen* s = QGuiApplication::primaryScreen();
        return s ? (QSizeF(s->geometry().size()) * s->devicePixelRatio()).toSize() : QSize();
    }
    std::unique_ptr<ClipboardWatch> createClipboardWatch() override {
#ifdef TOLVIK_HAVE_WAYLAND
        if (m_road == ClipboardRoad::Wayland)
            return std::make_unique<wayland::WaylandClipboardWatch>();
#endif
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

    std::unique_ptr<WindowVisibilityWatch> createVisibilityWatch(quint64 window) override {
#ifdef TOLVIK_HAVE_WAYLAND
        // Sway hides windows without minimising them; its socket says which.
        const QString sway = qEnvironmentVariable("SWAYSOCK");
        if (waylandSession() && !sway.isEmpty())
            return std::make_unique<wayland::SwayVisibility>(sway, window);
#endif
        Q_UNUSED(window);
        return nullptr;
    }

private:
    std::shared_ptr<x11::XConnection> m_conn;
    ClipboardRoad m_road = ClipboardRoad::X11;
};

} // namespace

std::unique_ptr<Desktop> createX11Desktop() {
    return std::make_unique<X11Desktop>();
}

} // namespace platform
