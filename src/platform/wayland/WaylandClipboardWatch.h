#pragma once
#include "platform/Platform.h"

#include <memory>

namespace platform::wayland {

class WlClipboardReader;

// Turns each new Wayland clipboard offer into one changed() signal while active, classified by
// what it offers (the compositor names no owner), with the data read at once on a reader
// thread. No pointer and no active window come with it.
class WaylandClipboardWatch : public ClipboardWatch {
    Q_OBJECT
public:
    explicit WaylandClipboardWatch(QObject* parent = nullptr);
    ~WaylandClipboardWatch() override;

    void setActive(bool on) override;
    bool isActive() const override { return m_active; }
    void finish() override;

private:
    std::unique_ptr<WlClipboardReader> m_reader;
    bool m_active = false;
};

} // namespace platform::wayland
