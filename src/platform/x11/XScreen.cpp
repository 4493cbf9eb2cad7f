#include "platform/x11/XScreen.h"

#include "platform/x11/XActiveWindow.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XPointer.h"
#include "platform/x11/XReply.h"

#include <QtEndian>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace platform::x11 {

namespace {

struct PixelLayout {
    int bitsPerPixel = 0;
    int scanlinePad = 0;
    bool msbFirst = false;
    uint32_t red = 0, green = 0, blue = 0;
};

std::optional<PixelLayout> layoutOf(xcb_connection_t* c, uint8_t depth, uint32_t visualId) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    PixelLayout l;
    l.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth) {
            l.bitsPerPixel = f.data->bits_per_pixel;
            l.scanlinePad = f.data->scanline_pad;
        }
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visualId) {
                    l.red = v.data->red_mask;
                    l.green = v.data->green_mask;
                    l.blue = v.data->blue_mask;
                }
    if (l.bitsPerPixel == 0 || l.red == 0 || l.green == 0 || l.blue == 0)
        return std::nullopt;
    return l;
}

// One colour channel of a pixel value, widened to 8 bits.
int channel(uint32_t value, uint32_t mask) {
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t v = (value & mask) >> shift;
    return bits >= 8 ? int(v >> (bits - 8))
                     : int((v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
}

QImage toImage(const uint8_t* data, int length, int w, int h, const PixelLayout& l,
               QString* error) {
    const int bytes = l.bitsPerPixel / 8;
    const int stride =
        ((w * l.bitsPerPixel + l.scanlinePad - 1) / l.scanlinePad) * l.scanlinePad / 8;
    if ((bytes != 2 && bytes != 3 && bytes != 4) || l.bitsPerPixel % 8 != 0) {
        *error = QStringLiteral("%1 bits per pixel").arg(l.bitsPerPixel);
        return {};
    }
    if (length < stride * h) {
        *error = QStringLiteral("short image data");
        return {};
    }
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull()) {
        *error = QStringLiteral("out of memory");
        return {};
    }
    const bool native = bytes == 4 && l.msbFirst == (QSysInfo::ByteOrder == QSysInfo::BigEndian) &&
                        l.red == 0xff0000 && l.green == 0xff00 && l.blue == 0xff;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = data + size_t(y) * size_t(stride);
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        if (native) {
            // The usual case: the server's words are this image's, bar the unused top byte.
            std::memcpy(dst, src, size_t(w) * 4);
            for (int x = 0; x < w; ++x)
                dst[x] |= 0xff000000u;
            continue;
        }
        for (int x = 0; x < w; ++x, src += bytes) {
            uint32_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v |= uint32_t(src[i]) << (8 * (l.msbFirst ? bytes - 1 - i : i));
            dst[x] = qRgb(channel(v, l.red), channel(v, l.green), channel(v, l.blue));
        }
    }
    return img;
}

} // namespace

XScreenSource::XScreenSource() : m_conn(std::make_unique<XConnection>()) {
    if (!m_conn->isValid())
        return;
    xcb_connection_t* c = m_conn->get();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
    if (ext && ext->present) {
        Reply<xcb_randr_query_version_reply_t> r(
            xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
        m_monitors = r && (r->major_version > 1 || r->minor_version >= 5);
    }
}

XScreenSource::~XScreenSource() = default;

bool XScreenSource::canGrab() const {
    // XWayland's root window shows only X windows, if anything.
    return m_conn->isValid() && !waylandSession();
}

PointerSnapshot XScreenSource::pointer() {
    if (!m_conn->isValid())
        return {};
    if (m_conn->hasXFixes())
        return readPointer(*m_conn);
    PointerSnapshot p;
    xcb_connection_t* c = m_conn->get();
    Reply<xcb_query_pointer_reply_t> r(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_conn->root()), nullptr));
    if (r)
        p.pos = QPoint(r->root_x, r->root_y);
    return p;
}

QRect XScreenSource::screenBounds() {
    if (!m_conn->isValid())
        return {};
    // Asked each time: the set-up's size is the one of the moment the connection was made.
    xcb_connection_t* c = m_conn->get();
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, m_conn->root()), nullptr));
    return g ? QRect(0, 0, g->width, g->height) : QRect();
}

QRect XScreenSource::monitorAt(QPoint point) {
    const QRect bounds = screenBounds();
    if (!m_monitors)
        return bounds;
    xcb_connection_t* c = m_conn->get();
    Reply<xcb_randr_get_monitors_reply_t> r(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, m_conn->root(), 1), nullptr));
    if (!r)
        return bounds;
    QRect best;
    int bestDistance = INT_MAX;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        const QRect m(it.data->x, it.data->y, it.data->width, it.data->height);
        // A point between monitors (a gap, an unequal height) belongs to the nearest one.
        const QPoint inside(std::clamp(point.x(), m.left(), m.right()),
                            std::clamp(point.y(), m.top(), m.bottom()));
        const int distance = (inside - point).manhattanLength();
        if (!m.isEmpty() && distance < bestDistance) {
            best = m;
            bestDistance = distance;
        }
    }
    return best.isEmpty() ? bounds : best.intersected(bounds);
}

QRect XScreenSource::activeWindow() {
    return activeWindowRect(*m_conn);
}

QImage XScreenSource::grab(const QRect& wanted, QString* error) {
    QString why;
    const QRect area = wanted.intersected(screenBounds());
    QImage img;
    if (!m_conn->isValid()) {
        why = QStringLiteral("no X server");
    } else if (area.isEmpty()) {
        why = QStringLiteral("nothing of (%1, %2, %3x%4) is on the screen")
                  .arg(wanted.x())
                  .arg(wanted.y())
                  .arg(wanted.width())
                  .arg(wanted.height());
    } else {
        xcb_connection_t* c = m_conn->get();
        xcb_generic_error_t* e = nullptr;
        Reply<xcb_get_image_reply_t> r(xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_conn->root(), int16_t(area.x()),
                          int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
            &e));
        if (!r) {
            why = QStringLiteral("GetImage failed (X error %1)").arg(e ? e->error_code : 0);
            std::free(e);
        } else if (const auto layout = layoutOf(c, r->depth, r->visual)) {
            img = toImage(xcb_get_image_data(r.get()), xcb_get_image_data_length(r.get()),
                          area.width(), area.height(), *layout, &why);
        } else {
            why = QStringLiteral("unknown pixel layout of depth %1").arg(r->depth);
        }
    }
    if (img.isNull() && error)
        *error = why;
    return img;
}

} // namespace platform::x11
