#include "platform/x11/XPointer.h"

#include "platform/x11/XConnection.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>

namespace platform::x11 {

PointerSnapshot readPointer(XConnection& conn) {
    PointerSnapshot snap;
    if (!conn.hasXFixes())
        return snap;
    xcb_connection_t* c = conn.get();
    xcb_xfixes_get_cursor_image_reply_t* r =
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr);
    if (!r)
        return snap;
    // x, y is where the pointer points; the image is placed so its hotspot lies there.
    snap.pos = QPoint(r->x, r->y);
    snap.hasHotspot = true;
    snap.hotspot = QPoint(r->xhot, r->yhot);
    const int w = r->width, h = r->height;
    const uint32_t* px = xcb_xfixes_get_cursor_image_cursor_image(r);
    if (w > 0 && h > 0 && xcb_xfixes_get_cursor_image_cursor_image_length(r) >= w * h) {
        // The server sends premultiplied ARGB words, the same layout as this QImage format.
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y)
            std::memcpy(img.scanLine(y), px + size_t(y) * w, size_t(w) * 4);
        snap.image = img;
    }
    std::free(r);
    return snap;
}

} // namespace platform::x11
