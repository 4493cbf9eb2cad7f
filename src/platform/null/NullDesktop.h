#pragma once
// Headless backend: no real pointer or windows; tests set what it reports and push
// clipboard notifications by hand.
#include "platform/Platform.h"

namespace platform {

class NullClipboardWatch : public ClipboardWatch {
    Q_OBJECT
public:
    void setActive(bool on) override { m_active = on; }
    bool isActive() const override { return m_active; }
    void noteTaken(quint64 pictureKey) override { m_lastTaken = pictureKey; }
    quint64 lastTaken() const { return m_lastTaken; }

    // Delivers a notification as the system would, but only while active.
    void inject(qint32 value) {
        if (m_active)
            emit changed(value);
    }

private:
    bool m_active = false;
    quint64 m_lastTaken = 0;
};

class NullDesktop : public Desktop {
public:
    PointerSnapshot pointer;
    QRect activeWindow;
    QSize screenSize{1920, 1080};
    NullClipboardWatch* lastWatch = nullptr;

    PointerSnapshot readPointer() override { return pointer; }
    QRect activeWindowRect() override { return activeWindow; }
    QSize primaryScreenSize() override { return screenSize; }
    std::unique_ptr<ClipboardWatch> createClipboardWatch() override {
        auto w = std::make_unique<NullClipboardWatch>();
        lastWatch = w.get();
        return w;
    }
};

} // namespace platform
