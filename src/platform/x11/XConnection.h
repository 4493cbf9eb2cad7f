#pragma once
// Our own xcb connection, separate from Qt's, so the backend needs no Qt private headers.
// Every request here is a plain round trip; no events are selected on this connection.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>

struct xcb_connection_t;

namespace platform::x11 {

class XConnection {
public:
    // Connects to $DISPLAY; isValid() tells whether that worked.
    XConnection();
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool isValid() const { return m_conn != nullptr; }
    xcb_connection_t* get() const { return m_conn; }
    uint32_t root() const { return m_root; }
    bool hasXFixes() const { return m_xfixes; }
    bool hasXRes() const { return m_xres; }

    // 0 when the atom does not exist (it is never created).
    uint32_t atom(const char* name);

    // A property's raw value, nullopt when absent, of another type (type 0 = any) or of
    // another item size (format 0 = any).
    std::optional<QByteArray> property(uint32_t window, uint32_t prop, uint32_t type,
                                       int format = 0, uint32_t maxLongs = 1024);
    // A property of 32-bit items (CARDINAL, WINDOW...), empty when absent.
    QVector<uint32_t> property32(uint32_t window, uint32_t prop, uint32_t type);

private:
    xcb_connection_t* m_conn = nullptr;
    uint32_t m_root = 0;
    bool m_xfixes = false;
    bool m_xres = false;
    QHash<QByteArray, uint32_t> m_atoms;
};

} // namespace platform::x11
