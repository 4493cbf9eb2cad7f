#include "platform/x11/X11ClipboardWatch.h"

#include "platform/x11/XSelectionReader.h"

#include <QMetaObject>

namespace platform::x11 {

X11ClipboardWatch::X11ClipboardWatch(QObject* parent) : ClipboardWatch(parent) {
    // The reader stops before this object goes; a delivery still queued then is dropped.
    m_reader = std::make_unique<XSelectionReader>(
        [this](ClipboardSnapshot s) {
            // Handed to the user-interface thread in the order the offers came.
            QMetaObject::invokeMethod(
                this,
                [this, s = std::move(s)] {
                    if (m_active)
                        emit changed(s);
                },
                Qt::QueuedConnection);
        },
        pictureTypes());
}

X11ClipboardWatch::~X11ClipboardWatch() = default;

void X11ClipboardWatch::finish() {
    m_reader.reset();
}

void X11ClipboardWatch::setActive(bool on) {
    m_active = on;
    if (m_reader) // none after finish()
        m_reader->setActive(on);
}

QStringList X11ClipboardWatch::pictureTypes() {
    return readablePictureTypes();
}

} // namespace platform::x11
