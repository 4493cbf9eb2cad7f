#pragma once
#include "platform/ScreenGrab.h"

#include <QVector>

#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace platform::x11 {

class XConnection;

// Print, Alt+Print and Shift+Print grabbed on the root window for as long as this object
// lives, on a connection of its own whose events the user-interface thread reads as they
// come. A grab another client holds already fails with BadAccess: that key is left to it.
class XCaptureKeys : public CaptureKeys {
    Q_OBJECT
public:
    explicit XCaptureKeys(QObject* parent = nullptr);
    ~XCaptureKeys() override;

    QList<CaptureKind> take() override;

private:
    void readEvents();

    std::unique_ptr<XConnection> m_conn;
    QSocketNotifier* m_notifier = nullptr; // a child
    QVector<uint8_t> m_keycodes;           // every key that gives Print
    uint16_t m_alt = 0;
    uint16_t m_locks = 0; // Caps Lock and Num Lock, which must not keep a key from working
};

} // namespace platform::x11
