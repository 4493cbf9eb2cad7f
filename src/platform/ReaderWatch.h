#pragma once
// A clipboard watch over a reader that runs on a thread of its own (the X11 and the Wayland
// one): the reader's snapshots are handed to this object's thread in the order the offers
// came, and reported while the watch is active.
#include "platform/Platform.h"

#include <QMetaObject>

#include <memory>

namespace platform {

// Reader(Deliver, QStringList pictureTypes), with setActive(bool).
template <class Reader> class ReaderWatch final : public ClipboardWatch {
public:
    explicit ReaderWatch(QObject* parent = nullptr) : ClipboardWatch(parent) {
        // The reader stops before this object goes; a delivery still queued then is dropped.
        m_reader = std::make_unique<Reader>(
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

    void setActive(bool on) override {
        m_active = on;
        if (m_reader) // none after finish()
            m_reader->setActive(on);
    }
    bool isActive() const override { return m_active; }
    void finish() override { m_reader.reset(); }

private:
    std::unique_ptr<Reader> m_reader;
    bool m_active = false;
};

} // namespace platform
