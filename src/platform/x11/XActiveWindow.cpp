#include "platform/x11/XActiveWindow.h"

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform::x11 {

namespace {

// The window the window manager calls active, else the one holding the input focus.
uint32_t activeWindow(XConnection& conn) {
    // Any 32-bit type: the value is a window id whatever a window manager labels it.
    const auto active =
        conn.property32(conn.root(), conn.atom("_NET_ACTIVE_WINDOW"), XCB_GET_PROPERTY_TYPE_ANY);
    if (!active.isEmpty() && active.front() != XCB_NONE)
        return active.front();
    xcb_connection_t* c = conn.get();
    Reply<xcb_get_input_focus_reply_t> f(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!f || f->focus == XCB_NONE || f->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        f->focus == conn.root())
        return XCB_NONE;
    return f->focus;
}

// The window's outer rectangle (border included) in root coordinates.
QRect rootRect(XConnection& conn, uint32_t w) {
    xcb_connection_t* c = conn.get();
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
    if (!g)
        return {};
    Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w, conn.root(), 0, 0), nullptr));
    if (!t)
        return {};
    const int b = g->border_width;
    return QRect(t->dst_x - b, t->dst_y - b, g->width + 2 * b, g->height + 2 * b);
}

// The ancestor that is a child of the root: a reparenting window manager's frame.
uint32_t topLevel(XConnection& conn, uint32_t w) {
    xcb_connection_t* c = conn.get();
    for (int depth = 0; depth < 64; ++depth) {
        Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
        if (!t)
            return XCB_NONE;
        if (t->parent == conn.root() || t->parent == XCB_NONE)
            return w;
        w = t->parent;
    }
    return XCB_NONE;
}

} // namespace

QRect activeWindowRect(XConnection& conn) {
    if (!conn.isValid())
        return {};
    const uint32_t w = activeWindow(conn);
    if (w == XCB_NONE)
        return {};
    // A window manager that publishes its decoration sizes is taken at its word; otherwise
    // the frame is the client's top-level ancestor (the client itself without reparenting).
    const auto ext = conn.property32(w, conn.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (ext.size() == 4) {
        const QRect client = rootRect(conn, w);
        if (client.isEmpty())
            return {};
        return client.adjusted(-int(ext[0]), -int(ext[2]), int(ext[1]), int(ext[3]));
    }
    const uint32_t top = topLevel(conn, w);
    return top == XCB_NONE ? QRect() : rootRect(conn, top);
}

} // namespace platform::x11
