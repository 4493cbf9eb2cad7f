#pragma once
// The one interface between the program and the desktop session. Everything that
// needs the window system beyond Qt's widgets goes through here, so that an X11,
// a Windows and a headless test backend can stand behind it.
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <memory>

namespace platform {

// The pointer as it looked at one moment: its image (null = none) and screen position.
struct PointerSnapshot {
    QImage image;
    QPoint pos;
};

// Reports clipboard changes while active. Each change arrives as one 32-bit value:
// 0 (or 65500..65599) for a screen capture, anything else for another program's copy.
// Changes made by this process are never reported.
class ClipboardWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClipboardWatch() override = default;

    virtual void setActive(bool on) = 0;
    virtual bool isActive() const = 0;

    // The intake names the picture it has just taken in (a content key), so that a
    // clipboard manager offering the same picture again is not reported as a new capture.
    virtual void noteTaken(quint64 pictureKey) = 0;

signals:
    void changed(qint32 value);
};

class Desktop {
public:
    virtual ~Desktop() = default;

    virtual PointerSnapshot readPointer() = 0;
    // Frame of the active window in screen pixels; empty when there is none.
    virtual QRect activeWindowRect() = 0;
    // Size of the primary screen in pixels.
    virtual QSize primaryScreenSize() = 0;

    virtual std::unique_ptr<ClipboardWatch> createClipboardWatch() = 0;
};

// Content key of a picture: equal pictures give equal keys. It reads every eighth row (and
// the last) so that keying a large capture costs little; it only ever decides whether a
// clipboard manager offers again the picture just taken, never whether a capture is new.
quint64 pictureKey(const QImage& image);

// The backend for the running Qt platform: X11 under xcb, the headless one otherwise.
std::unique_ptr<Desktop> createDesktop();

} // namespace platform
