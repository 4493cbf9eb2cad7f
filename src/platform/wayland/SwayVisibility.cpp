#include "platform/wayland/SwayVisibility.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstring>

namespace platform::wayland {

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr qsizetype kHeader = 6 + 4 + 4;
constexpr quint32 kSubscribe = 2;
constexpr quint32 kGetTree = 4;
constexpr quint32 kEvent = 0x80000000u;

} // namespace

SwayVisibility::SwayVisibility(const QString& socketPath, quint64 window, QObject* parent)
    : WindowVisibilityWatch(parent), m_window(window) {
    connect(&m_socket, &QLocalSocket::readyRead, this, &SwayVisibility::readMessages);
    connect(&m_socket, &QLocalSocket::connected, this, [this] {
        // Every change of a window or workspace may hide or show ours; the tree tells.
        m_socket.write(message(kSubscribe, R"(["window","workspace"])"));
        askTree();
    });
    m_socket.connectToServer(socketPath);
}

QByteArray SwayVisibility::message(quint32 type, const QByteArray& payload) {
    QByteArray out(kMagic, 6);
    const quint32 length = quint32(payload.size());
    out.append(reinterpret_cast<const char*>(&length), 4);
    out.append(reinterpret_cast<const char*>(&type), 4);
    return out + payload;
}

std::optional<bool> SwayVisibility::visibleInTree(const QJsonObject& tree, quint64 window) {
    if (tree.value(QLatin1String("window")).toInteger() == qint64(window))
        return tree.value(QLatin1String("visible")).toBool();
    for (const char* key : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : tree.value(QLatin1String(key)).toArray())
            if (auto found = visibleInTree(child.toObject(), window))
                return found;
    return std::nullopt;
}

void SwayVisibility::askTree() {
    if (m_asking) {
        m_askAgain = true;
        return;
    }
    m_asking = true;
    m_socket.write(message(kGetTree, {}));
}

void SwayVisibility::readMessages() {
    m_buffer += m_socket.readAll();
    while (m_buffer.size() >= kHeader) {
        if (!m_buffer.startsWith(kMagic)) {
            m_socket.abort(); // not sway speaking
            return;
        }
        quint32 length = 0, type = 0;
        std::memcpy(&length, m_buffer.constData() + 6, 4);
        std::memcpy(&type, m_buffer.constData() + 10, 4);
        if (m_buffer.size() < kHeader + qsizetype(length))
            return;
        const QByteArray payload = m_buffer.mid(kHeader, length);
        m_buffer.remove(0, kHeader + length);
        if (type & kEvent) {
            askTree();
        } else if (type == kGetTree) {
            m_asking = false;
            const std::optional<bool> visible =
                visibleInTree(QJsonDocument::fromJson(payload).object(), m_window);
            if (visible && *visible == m_hidden) {
                m_hidden = !*visible;
                emit hiddenChanged(m_hidden);
            }
            if (m_askAgain) {
                m_askAgain = false;
                askTree();
            }
        }
    }
}

} // namespace platform::wayland
