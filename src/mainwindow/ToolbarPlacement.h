#pragma once
// Where the drawing toolbar goes beside the main window, in screen pixels: its frame to the
// left of the window's frame, the two title bars level, the whole toolbar on the screen.
// Without room at the screen's left edge the window makes room: a maximised one is restored
// first.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

struct ToolbarPlacement {
    QRect toolbar;        // the toolbar's own area (without its frame), as setGeometry takes it
    bool restore = false; // the window leaves the maximised state first
    int shift = 0;        // its left edge moves this far right, its right edge stays
    QRect window;         // the window's frame after the shift
};

constexpr int kDrawingToolbarWidth = 68;

// window: the window's frame as read before any state change; toolbarFrame: the thickness of
// the toolbar's frame on each side (its title bar on top); toolbar: the size of its own area;
// screen: the available area of the window's screen.
ToolbarPlacement placeDrawingToolbar(const QRect& window, bool maximised,
                                     const QMargins& toolbarFrame, const QSize& toolbar,
                                     const QRect& screen);
