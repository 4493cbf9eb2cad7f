#include "mainwindow/ToolbarPlacement.h"

#include <algorithm>

namespace {
// A maximised window, once restored, leaves the toolbar's frame this much more room.
constexpr int kGapFromMaximised = 3;
} // namespace

ToolbarPlacement placeDrawingToolbar(const QRect& window, bool maximised,
                                     const QMargins& toolbarFrame, const QSize& toolbar,
                                     const QRect& screen) {
    const int frameWidth = toolbar.width() + toolbarFrame.left() + toolbarFrame.right();
    const int frameHeight = toolbar.height() + toolbarFrame.top() + toolbarFrame.bottom();
    ToolbarPlacement out;
    out.window = window;
    int left = window.left() - frameWidth;
    if (left < screen.left()) {
        out.restore = maximised;
        out.shift =
            maximised ? frameWidth + kGapFromMaximised : screen.left() + frameWidth - window.left();
        out.window = QRect(window.left() + out.shift, window.top(), window.width() - out.shift,
                           window.height());
        left = screen.left();
    }
    // Its bottom on the screen if it can be, its title bar on the screen whatever happens.
    const int top =
        std::max(screen.top(), std::min(window.top(), screen.bottom() + 1 - frameHeight));
    out.toolbar = QRect(QPoint(left + toolbarFrame.left(), top + toolbarFrame.top()), toolbar);
    return out;
}
