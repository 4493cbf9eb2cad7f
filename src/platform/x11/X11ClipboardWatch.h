#pragma once
#include "platform/Platform.h"

#include <QMetaObject>

#include <memory>
#include <optional>

namespace platform::x11 {

class XConnection;

// Turns each change of the CLIPBOARD selection into one changed() signal while active,
// classified by what it offers and who offers it.
class X11ClipboardWatch : public ClipboardWatch {
    Q_OBJECT
public:
    explicit X11ClipboardWatch(std::shared_ptr<XConnection> conn, QObject* parent = nullptr);
    ~X11ClipboardWatch() override;

    void setActive(bool on) override;
    bool isActive() const override { return m_active; }
    void noteTaken(quint64 pictureKey) override { m_lastTaken = pictureKey; }

private:
    void onClipboardChanged();
    // The value to report for the clipboard as it is now; nullopt when not to report.
    std::optional<qint32> classifyCurrent();
    bool isRepeatOfTaken() const;

    std::shared_ptr<XConnection> m_conn;
    QMetaObject::Connection m_hook;
    bool m_active = false;
    bool m_inHandler = false;
    bool m_again = false;
    quint64 m_lastTaken = 0;
};

} // namespace platform::x11
