#pragma once
// Whether sway shows one of our windows, from its IPC socket ($SWAYSOCK): sway hides a window
// in its scratchpad or on another workspace without telling the window (XWayland keeps it
// mapped and Normal), but its tree says "visible": false.
#include "platform/Platform.h"

#include <QByteArray>
#include <QJsonObject>
#include <QLocalSocket>

#include <optional>

namespace platform::wayland {

class SwayVisibility : public WindowVisibilityWatch {
    Q_OBJECT
public:
    // window: the X11 window id sway names for an XWayland window.
    SwayVisibility(const QString& socketPath, quint64 window, QObject* parent = nullptr);

    // Messages of sway's IPC: "i3-ipc", length and type in the machine's byte order, payload.
    static QByteArray message(quint32 type, const QByteArray& payload);
    // Whether the window of that id is visible in a GET_TREE answer; nothing when it is not
    // in the tree.
    static std::optional<bool> visibleInTree(const QJsonObject& tree, quint64 window);

private:
    void readMessages();
    void askTree();

    QLocalSocket m_socket;
    quint64 m_window;
    QByteArray m_buffer;
    bool m_asking = false; // a tree asked for and not answered
    bool m_askAgain = false;
    bool m_hidden = false;
};

} // namespace platform::wayland
