#include "capture/CaptureSession.h"

#include "capture/ClipboardWatcher.h"

#include <QLoggingCategory>

#include <utility>

namespace {
Q_LOGGING_CATEGORY(lcCaptureWait, "tolvik.capturewait", QtWarningMsg)
} // namespace

CaptureSession::CaptureSession(ClipboardWatcher& watcher, std::function<void()> scanFolder,
                               QObject* parent)
    : QObject(parent), m_watcher(watcher), m_scanFolder(std::move(scanFolder)) {}

void CaptureSession::setWaiting(bool on) {
    if (on == m_waiting)
        return;
    // Set first: a listener that mirrors the state back finds nothing left to do.
    m_waiting = on;
    qCInfo(lcCaptureWait) << (on ? "capture wait begins" : "capture wait ends");
    m_watcher.setWatching(on);
    emit waitingChanged(on);
    if (on && m_scanFolder)
        m_scanFolder();
}
