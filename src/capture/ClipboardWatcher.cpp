#include "capture/ClipboardWatcher.h"

#include <QCoreApplication>

#include <cmath>

ClipboardWatcher::ClipboardWatcher(platform::Desktop& desktop, IntakeTarget& target)
    : m_target(target), m_watch(desktop.createClipboardWatch()) {
    connect(m_watch.get(), &platform::ClipboardWatch::changed, this,
            &ClipboardWatcher::handleOffer);
}

ClipboardWatcher::~ClipboardWatcher() {
    setWatching(false);
}

void ClipboardWatcher::setWatching(bool on) {
    if (on == m_hooked)
        return;
    m_watch->setActive(on);
    m_hooked = on;
}

void ClipboardWatcher::finish() {
    m_watch->finish();
    QCoreApplication::sendPostedEvents(m_watch.get());
}

bool ClipboardWatcher::isCaptureValue(qint32 value) {
    const double q = std::floor(double(value) / 100.0);
    return q == 655.0 || value == 0;
}

void ClipboardWatcher::handleOffer(const platform::ClipboardSnapshot& offer) {
    if (!m_hooked)
        return;
    if (isCaptureValue(offer.value))
        m_target.captureOffered(offer); // the intake draws the pointer, or not
    else if (m_target.captureOptions().takeCopies) {
        m_target.copyOffered(offer);
    }
}
