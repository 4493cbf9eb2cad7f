#pragma once
#include "platform/ScreenGrab.h"

#include <memory>

namespace platform::x11 {

class XConnection;

// The screen of the X server in root coordinates, which are device pixels: GetImage on the
// root window, monitors through RandR, the pointer through XFixes.
class XScreenSource : public ScreenSource {
public:
    XScreenSource();
    ~XScreenSource() override;

    bool canGrab() const override;
    PointerSnapshot pointer() override;
    QRect monitorAt(QPoint point) override;
    QRect screenBounds() override;
    QRect activeWindow() override;
    QImage grab(const QRect& area, QString* error) override;

private:
    std::unique_ptr<XConnection> m_conn;
    bool m_monitors = false; // RandR 1.5: monitors as the desktop arranges them
};

} // namespace platform::x11
