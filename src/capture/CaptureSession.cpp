#include "capture/CaptureSession.h"

#include "capture/ClipboardWatcher.h"

#include <utility>

CaptureSession::CaptureSession(ClipboardWatcher& watcher, std::function<void()> scanFolder,
                               QObject* parent)
    : QObject(parent), m_watcher(watcher), m_scanFolder(std::move(scanFolder)) {}

void CaptureSession::setWaiting(bool on) {
    if (on == m_waiting)
        return;
    // Set first: a listener that mirrors the state back finds nothing left to do.
    m_waiting = on;
    m_watcher.setWatching(on);
    emit waitingChanged(on);
    if (on && m_scanFolder)
        m_scanFolder();
}
