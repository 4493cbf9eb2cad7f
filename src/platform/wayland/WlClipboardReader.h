#pragma once
// Reads every new Wayland clipboard offer on a thread of its own, the moment the compositor
// announces it, through the wlr data-control protocol (wlroots compositors, KDE Plasma), on a
// connection of its own. Offers are read one after another in the order they came.
#include "platform/Platform.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace platform::wayland {

class WlClipboardReader {
public:
    // Called on the reader's thread for every offer read (or lost) while active.
    using Deliver = std::function<void(ClipboardSnapshot)>;

    WlClipboardReader(Deliver deliver, QStringList pictureTypes);
    ~WlClipboardReader();
    WlClipboardReader(const WlClipboardReader&) = delete;
    WlClipboardReader& operator=(const WlClipboardReader&) = delete;

    // False without a compositor that offers data control: nothing will be reported.
    bool isValid() const { return m_thread.joinable(); }
    void setActive(bool on) { m_active = on; }

    struct State; // the protocol objects, touched by the reader's thread only

private:
    void run();

    std::unique_ptr<State> m_state;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_stop{false};
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

// Whether the compositor of $WAYLAND_DISPLAY offers data control (asked on a short-lived
// connection of its own).
bool dataControlAvailable();

} // namespace platform::wayland
