#pragma once
#include <QRect>

namespace platform::x11 {

class XConnection;

// Frame of the active window in root coordinates, window-manager decoration included;
// empty when no window is active.
QRect activeWindowRect(XConnection& conn);

} // namespace platform::x11
