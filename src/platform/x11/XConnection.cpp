#include "platform/x11/XConnection.h"

#include "platform/x11/XReply.h"

#include <xcb/res.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>

namespace platform::x11 {

XConnection::XConnection() {
    int screenNo = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNo);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    m_conn = c;

    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNo && it.rem; ++i)
        xcb_screen_next(&it);
    if (it.rem)
        m_root = it.data->root;

    // XFixes answers GetCursorImage only after the client has announced its version.
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (ext && ext->present) {
        Reply<xcb_xfixes_query_version_reply_t> r(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        m_xfixes = r && r->major_version >= 1;
    }
    // QueryClientIds needs X-Resource 1.2.
    ext = xcb_get_extension_data(c, &xcb_res_id);
    if (ext && ext->present) {
        Reply<xcb_res_query_version_reply_t> r(xcb_res_query_version_reply(
            c, xcb_res_query_version(c, XCB_RES_MAJOR_VERSION, XCB_RES_MINOR_VERSION), nullptr));
        m_xres = r && (r->server_major > 1 || (r->server_major == 1 && r->server_minor >= 2));
    }
}

XConnection::~XConnection() {
    if (m_conn)
        xcb_disconnect(m_conn);
}

uint32_t XConnection::atom(const char* name) {
    if (!m_conn)
        return 0;
    const QByteArray key(name);
    if (auto it = m_atoms.constFind(key); it != m_atoms.cend())
        return *it;
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        m_conn, xcb_intern_atom(m_conn, 1, uint16_t(std::strlen(name)), name), nullptr));
    const uint32_t a = r ? r->atom : 0;
    // A missing atom may be created later by another client, so only hits are remembered.
    if (a)
        m_atoms.insert(key, a);
    return a;
}

std::optional<QByteArray> XConnection::property(uint32_t window, uint32_t prop, uint32_t type,
                                                int format, uint32_t maxLongs) {
    if (!m_conn || !window || !prop)
        return std::nullopt;
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        m_conn, xcb_get_property(m_conn, 0, window, prop, type, 0, maxLongs), nullptr));
    if (!r || r->type == XCB_NONE || (type != XCB_GET_PROPERTY_TYPE_ANY && r->type != type) ||
        (format && r->format != format))
        return std::nullopt;
    const int len = xcb_get_property_value_length(r.get());
    return QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())), len);
}

QVector<uint32_t> XConnection::property32(uint32_t window, uint32_t prop, uint32_t type) {
    QVector<uint32_t> out;
    const auto raw = property(window, prop, type, 32);
    if (!raw)
        return out;
    out.resize(raw->size() / 4);
    std::memcpy(out.data(), raw->constData(), size_t(out.size()) * 4);
    return out;
}

} // namespace platform::x11
