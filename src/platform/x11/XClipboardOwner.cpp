#include "platform/x11/XClipboardOwner.h"

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

#include <QFile>
#include <QFileInfo>

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform::x11 {

namespace {

uint32_t selectionOwner(XConnection& conn, uint32_t selection) {
    xcb_connection_t* c = conn.get();
    Reply<xcb_get_selection_owner_reply_t> r(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return r ? r->owner : 0;
}

// The process of the client that created the window, as the server saw it connect.
qint64 pidFromXRes(XConnection& conn, uint32_t window) {
    if (!conn.hasXRes())
        return 0;
    xcb_connection_t* c = conn.get();
    xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    Reply<xcb_res_query_client_ids_reply_t> r(
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &wanted), nullptr));
    if (!r)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        const auto& [id, length] = *it.data;
        Q_UNUSED(length);
        if ((id.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) >= 1)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

qint64 pidFromProperty(XConnection& conn, uint32_t window) {
    const auto v = conn.property32(window, conn.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return v.isEmpty() ? 0 : qint64(v.front());
}

// WM_CLASS holds two NUL-terminated strings: instance and class.
QStringList windowClass(XConnection& conn, uint32_t window) {
    QStringList out;
    const auto raw = conn.property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8);
    if (!raw)
        return out;
    for (const QByteArray& part : raw->split('\0'))
        if (!part.isEmpty())
            out << QString::fromLocal8Bit(part);
    return out;
}

uint32_t clientLeader(XConnection& conn, uint32_t window) {
    const auto v = conn.property32(window, conn.atom("WM_CLIENT_LEADER"), XCB_ATOM_WINDOW);
    return v.isEmpty() ? 0 : v.front();
}

} // namespace

QStringList processNames(qint64 pid) {
    QStringList out;
    if (pid <= 0)
        return out;
    const QString dir = QStringLiteral("/proc/%1/").arg(pid);
    QFile comm(dir + QStringLiteral("comm"));
    if (comm.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        if (!name.isEmpty())
            out << name;
    }
    // Often unreadable for another user's process; comm alone then has to do.
    const QString exe = QFileInfo(dir + QStringLiteral("exe")).symLinkTarget();
    if (!exe.isEmpty()) {
        QString base = QFileInfo(exe).fileName();
        base.remove(QStringLiteral(" (deleted)"));
        if (!base.isEmpty() && !out.contains(base))
            out << base;
    }
    return out;
}

ClipboardOwner clipboardOwner(XConnection& conn) {
    if (!conn.isValid())
        return {};
    return ownerOfWindow(conn, selectionOwner(conn, conn.atom("CLIPBOARD")));
}

ClipboardOwner ownerOfWindow(XConnection& conn, uint32_t window) {
    ClipboardOwner owner;
    owner.window = window;
    if (!owner.window || !conn.isValid())
        return owner;

    const uint32_t leader = clientLeader(conn, owner.window);
    owner.pid = pidFromXRes(conn, owner.window);
    if (!owner.pid)
        owner.pid = pidFromProperty(conn, owner.window);
    if (!owner.pid && leader)
        owner.pid = pidFromProperty(conn, leader);
    owner.names = processNames(owner.pid);

    QStringList cls = windowClass(conn, owner.window);
    if (cls.isEmpty() && leader)
        cls = windowClass(conn, leader);
    for (const QString& n : cls)
        if (!owner.names.contains(n))
            owner.names << n;
    return owner;
}

} // namespace platform::x11
