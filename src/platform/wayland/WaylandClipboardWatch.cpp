#include "platform/wayland/WaylandClipboardWatch.h"

#include "platform/wayland/WlClipboardReader.h"

#include <QMetaObject>

namespace platform::wayland {

WaylandClipboardWatch::WaylandClipboardWatch(QObject* parent) : ClipboardWatch(parent) {
    // The reader stops before this object goes; a delivery still queued then is dropped.
    m_reader = std::make_unique<WlClipboardReader>(
        [this](ClipboardSnapshot s) {
            QMetaObject::invokeMethod(
                this,
                [this, s = std::move(s)] {
                    if (m_active)
                        emit changed(s);
                },
                Qt::QueuedConnection);
        },
        readablePictureTypes());
}

WaylandClipboardWatch::~WaylandClipboardWatch() = default;

void WaylandClipboardWatch::finish() {
    m_reader.reset();
}

void WaylandClipboardWatch::setActive(bool on) {
    m_active = on;
    if (m_reader)
        m_reader->setActive(on);
}

} // namespace platform::wayland
