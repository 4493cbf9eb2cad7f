#pragma once
#include <QStringList>

#include <cstdint>

namespace platform::x11 {

class XConnection;

struct ClipboardOwner {
    uint32_t window = 0; // 0: nobody owns the clipboard
    qint64 pid = 0;      // 0: unknown
    // Process name, executable name and window class, as far as they could be found.
    QStringList names;
};

// Who owns CLIPBOARD now: the process through X-Resource or _NET_WM_PID, its names from
// /proc, and the window class of the owner or its client leader.
ClipboardOwner clipboardOwner(XConnection& conn);
// The same for a given owner window.
ClipboardOwner ownerOfWindow(XConnection& conn, uint32_t window);

// The process and executable names of a local process; empty when it cannot be read.
QStringList processNames(qint64 pid);

} // namespace platform::x11
