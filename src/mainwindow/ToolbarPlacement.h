#pragma once
// Where the drawing toolbar goes beside the main window, in screen pixels: to the left of the
// window, its top on the window's top. Without room at the screen's left edge the window
// makes room: a maximised one is restored first.
#include <QPoint>
#include <QRect>

struct ToolbarPlacement {
    QPoint toolbar;       // top left of the toolbar
    bool restore = false; // the window leaves the maximised state first
    int shift = 0;        // its left edge moves this far right, its right edge stays
    QRect window;         // the window's geometry after the shift
};

constexpr int kDrawingToolbarWidth = 68;

// window: the window's geometry as read before any state change.
ToolbarPlacement placeDrawingToolbar(const QRect& window, bool maximised);
