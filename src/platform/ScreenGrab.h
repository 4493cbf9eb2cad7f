#pragma once
// Taking a capture ourselves where the desktop has no tool that does: what the screen shows,
// the keys the whole session presses for it, and the desktop's own screenshot service where
// only that may read the screen. Everything here is in device pixels.
#include "platform/Platform.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>

namespace platform {

// What is taken: the monitor under the pointer, the active window or a dragged region.
enum class CaptureKind { Screen, Window, Region };

// Reads the screen in device pixels, the unit of root coordinates and the pointer.
class ScreenSource {
public:
    virtual ~ScreenSource() = default;

    // False where only the desktop may read the screen (a Wayland session).
    virtual bool canGrab() const = 0;
    virtual PointerSnapshot pointer() = 0;
    // The monitor that holds the point, or the nearest; the whole screen where monitors are
    // not known.
    virtual QRect monitorAt(QPoint point) = 0;
    // Every monitor together.
    virtual QRect screenBounds() = 0;
    // The active window's frame; empty when no window is active.
    virtual QRect activeWindow() = 0;
    // What the area shows now; null, with the reason in error, when it cannot be read.
    virtual QImage grab(const QRect& area, QString* error) = 0;
};

// Print, Alt+Print and Shift+Print for the whole session, as far as no other program
// holds them.
class CaptureKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CaptureKeys() override = default;

    // Takes every key that no other program holds; returns the kinds whose key another
    // program holds.
    virtual QList<CaptureKind> take() = 0;

signals:
    void pressed(platform::CaptureKind kind);
};

// The desktop's screenshot service: it decides how the picture is chosen.
class ScreenshotService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ScreenshotService() override = default;

    // interactive: the desktop lets the user choose what to take (a window, a region).
    // Exactly one of taken, missing, failed or cancelled follows.
    virtual void request(bool interactive) = 0;

signals:
    void taken(const QImage& picture);
    // No such service is running.
    void missing();
    // It could not take the picture: why, in words.
    void failed(const QString& why);
    void cancelled();
};

// True in a Wayland session, where the program itself runs on XWayland.
bool waylandSession();

// The desktop portal's screenshot service on the session bus (xdg-desktop-portal).
std::unique_ptr<ScreenshotService> createScreenshotPortal();

} // namespace platform
