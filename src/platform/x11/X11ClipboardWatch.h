#pragma once
#include "platform/Platform.h"

#include <memory>

namespace platform::x11 {

class XSelectionReader;

// Turns each new CLIPBOARD offer into one changed() signal while active, classified by what
// it offers and who offers it, with the data read at once on a reader thread.
class X11ClipboardWatch : public ClipboardWatch {
    Q_OBJECT
public:
    explicit X11ClipboardWatch(QObject* parent = nullptr);
    ~X11ClipboardWatch() override;

    void setActive(bool on) override;
    bool isActive() const override { return m_active; }
    void finish() override;

    // Picture formats that can be decoded here, most wanted first.
    static QStringList pictureTypes();

private:
    std::unique_ptr<XSelectionReader> m_reader;
    bool m_active = false;
};

} // namespace platform::x11
