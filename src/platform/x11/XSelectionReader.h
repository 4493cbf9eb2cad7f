#pragma once
// Reads every new CLIPBOARD offer on a thread of its own, the moment it is announced: who
// offers it, what it offers, its picture or text, the pointer and the active window. Reading
// never waits for the user-interface thread or for a file being written, so offers that
// follow each other closely are each read while their owner still holds them.
#include "platform/Platform.h"

#include <QHash>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include <xcb/xcb.h>

namespace platform::x11 {

class XConnection;

class XSelectionReader {
public:
    // Called on the reader's thread for every offer read (or lost) while active.
    using Deliver = std::function<void(ClipboardSnapshot)>;

    // pictureTypes: the picture formats that can be decoded, in order of preference.
    XSelectionReader(Deliver deliver, QStringList pictureTypes);
    ~XSelectionReader();
    XSelectionReader(const XSelectionReader&) = delete;
    XSelectionReader& operator=(const XSelectionReader&) = delete;

    // False without an X server or XFixes: nothing will be reported.
    bool isValid() const { return m_thread.joinable(); }
    void setActive(bool on) { m_active = on; }

private:
    struct EventDeleter {
        void operator()(xcb_generic_event_t* e) const;
    };
    using Event = std::unique_ptr<xcb_generic_event_t, EventDeleter>;
    struct Transfer {
        std::optional<QByteArray> data;
        QString failure;
    };

    void run();
    void readOffer(uint32_t owner, uint32_t timestamp);
    Transfer convert(uint32_t target);
    // Asks the owner for the offer being read in one target; receive() takes the answer.
    void request(uint32_t target);
    Transfer receive(uint32_t target);
    // Whether the clipboard changed hands in a way that lets the answer to the last request
    // hold a later offer's content rather than this one's.
    bool ownerMovedOn() const;
    // The next event that satisfies pred, within timeoutMs; others are kept or dropped.
    Event waitFor(const std::function<bool(const xcb_generic_event_t*)>& pred, int timeoutMs);
    Event nextEvent();
    bool isOwnerChange(const xcb_generic_event_t* e) const;
    QString atomName(uint32_t atom);
    uint32_t intern(const char* name);

    Deliver m_deliver;
    QStringList m_pictureTypes;
    std::unique_ptr<XConnection> m_conn;
    uint32_t m_window = 0;
    uint8_t m_xfixesEvent = 0;
    uint32_t m_clipboard = 0, m_targets = 0, m_incr = 0, m_property = 0, m_wake = 0;
    QHash<uint32_t, QString> m_atomNames;
    // Announcements that came while an earlier one was being read, in order.
    std::deque<Event> m_pending;
    // Owner changes told so far; the offer being read and the sequence number of the last
    // request for it.
    uint32_t m_notices = 0;
    Announcement m_reading;
    uint32_t m_requestSequence = 0;
    std::atomic<bool> m_active{false};
    // Set at the end: what was announced is still read, with little patience for owners.
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace platform::x11
