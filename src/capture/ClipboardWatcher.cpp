#include "capture/ClipboardWatcher.h"

#include <cmath>

ClipboardWatcher::ClipboardWatcher(platform::Desktop& desktop, IntakeTarget& target)
    : m_desktop(desktop), m_target(target), m_watch(desktop.createClipboardWatch()) {
    connect(m_watch.get(), &platform::ClipboardWatch::changed, this,
            &ClipboardWatcher::ClipboardWndProc);
}

ClipboardWatcher::~ClipboardWatcher() {
    SetCaptureHook(0);
}

void ClipboardWatcher::SetCaptureHook(int value) {
    if (value == 1) {
        if (m_hooked)
            return;
        m_watch->setActive(true);
        m_hooked = true;
    } else {
        if (!m_hooked)
            return;
        m_watch->setActive(false);
        m_hooked = false;
        m_pending = false;
    }
}

bool ClipboardWatcher::isCaptureValue(qint32 wParam) {
    const double q = std::floor(double(wParam) / 100.0);
    return q == 655.0 || wParam == 0;
}

void ClipboardWatcher::ClipboardWndProc(qint32 wParam) {
    if (m_inHandler) {
        // The clipboard holds only its latest content: remember the latest notice.
        m_pending = true;
        m_pendingValue = wParam;
        return;
    }
    m_inHandler = true;
    handle(wParam);
    while (m_pending && m_hooked) {
        m_pending = false;
        handle(m_pendingValue);
    }
    m_pending = false;
    m_inHandler = false;
}

void ClipboardWatcher::handle(qint32 wParam) {
    // An unexpected error inside an intake must not leave the guard set.
    try {
        if (isCaptureValue(wParam)) {
            int x = 0, y = 0;
            QImage cursor;
            if (m_target.bMPnt())
                ReadMouseCursor(cursor, x, y);
            m_target.sjClip(x, y, cursor);
        } else if (m_target.bCpyE()) {
            m_target.sjClp2();
        }
    } catch (...) {
    }
}

void ClipboardWatcher::ReadMouseCursor(QImage& cursor, int& x, int& y) {
    const platform::PointerSnapshot p = m_desktop.readPointer();
    cursor = p.image;
    x = p.pos.x() - 6;
    y = p.pos.y() - 8;
}

void ClipboardWatcher::noteTaken(quint64 pictureKey) {
    m_watch->noteTaken(pictureKey);
}
