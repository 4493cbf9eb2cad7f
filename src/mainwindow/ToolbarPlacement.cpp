#include "mainwindow/ToolbarPlacement.h"

#include <algorithm>

namespace {
// A maximised window, once restored, still gives the toolbar its width and a small gap.
constexpr int kShiftFromMaximised = 71;
} // namespace

ToolbarPlacement placeDrawingToolbar(const QRect& window, bool maximised) {
    ToolbarPlacement out;
    out.toolbar = {window.left() - kDrawingToolbarWidth, std::max(0, window.top())};
    out.window = window;
    if (out.toolbar.x() >= 0)
        return out;
    out.restore = maximised;
    out.shift = maximised ? kShiftFromMaximised : kDrawingToolbarWidth - window.left();
    out.window =
        QRect(window.left() + out.shift, window.top(), window.width() - out.shift, window.height());
    out.toolbar.setX(0);
    return out;
}
