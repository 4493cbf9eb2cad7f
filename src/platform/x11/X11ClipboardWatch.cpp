#include "platform/x11/X11ClipboardWatch.h"

#include "platform/x11/XSelectionReader.h"

#include <QImageReader>
#include <QMetaObject>

#include <algorithm>

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
    // Uncompressed and lossless first: cheap to decode and exactly the captured pixels.
    QStringList out = {QStringLiteral("image/bmp"), QStringLiteral("image/x-bmp"),
                       QStringLiteral("image/png")};
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QByteArray& t : readable) {
        const QString type = QString::fromLatin1(t);
        if (!out.contains(type))
            out << type;
    }
    out.erase(std::remove_if(out.begin(), out.end(),
                             [&](const QString& t) { return !readable.contains(t.toLatin1()); }),
              out.end());
    return out;
}

} // namespace platform::x11
