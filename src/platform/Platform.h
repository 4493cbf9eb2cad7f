#pragma once
// The one interface between the program and the desktop session. Everything that
// needs the window system beyond Qt's widgets goes through here, so that an X11,
// a Windows and a headless test backend can stand behind it.
#include <QImage>
#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QStringList>

#include <memory>

namespace platform {

class CaptureKeys;
class ScreenSource;
class ScreenshotService;

// The pointer as it looked at one moment: its image (null = none), the screen position it
// points at, and where in the image that point lies (its hotspot).
struct PointerSnapshot {
    QImage image;
    QPoint pos;
    bool hasHotspot = false;
    QPoint hotspot = {};
};

// Who announced an offer, when, and which of the backend's notices told of it. An owner
// asked again for the same announcement hands over what it holds then, so an announcement
// is taken in once; two announcements are two offers, however alike their content. The
// owner and its time alone do not tell them apart: an owner may take the clipboard again
// with the time it gave before (Qt does when no event came in between).
struct Announcement {
    quint32 owner = 0; // 0: not known, like no other
    quint32 time = 0;
    quint32 serial = 0; // the notice, counted by the backend

    bool sameAs(const Announcement& other) const {
        return owner != 0 && owner == other.owner && time == other.time && serial == other.serial;
    }
};

// One clipboard offer as it was announced: how it was classified and the data that was
// read for it, at once, so that what is stored is exactly what was classified.
struct ClipboardSnapshot {
    Announcement announcement;
    // 0 (or 65500..65599) for a screen capture, anything else for another program's copy.
    qint32 value = 0;
    QStringList formats;
    // The picture as offered: encoded bytes of one picture format, or already decoded.
    QByteArray pictureFormat;
    QByteArray pictureBytes;
    QImage picture;
    bool hasText = false;
    QString text;
    bool richText = false;
    // The offer announced data that could not be read (its owner went away, refused, timed
    // out or had moved on to newer content before it answered); why, in words.
    bool lost = false;
    QString lostReason;
    // Pointer and active window (screen pixels) at the moment of the announcement.
    PointerSnapshot pointer;
    QRect activeWindow;

    bool hasPicture() const { return !picture.isNull() || !pictureBytes.isEmpty(); }
};

// Reports clipboard offers while active, each with its snapshot. Offers made by this
// process are never reported.
class ClipboardWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClipboardWatch() override = default;

    virtual void setActive(bool on) = 0;
    virtual bool isActive() const = 0;
    // At the end: reads the offers already announced, hands them over (queued to this
    // object's thread) and then reports no more.
    virtual void finish() {}

signals:
    void changed(const platform::ClipboardSnapshot& offer);
};

// What a backend can tell; what it cannot is simply not used (no pointer image: no
// pointer is drawn into captures).
struct Capabilities {
    bool clipboardOffers = false; // reports clipboard offers with their owner's kind
    bool pointerImage = false;
    bool activeWindow = false;
};

// Tells when the compositor hides a window of ours without minimising it, and shows it again
// (a tiling compositor's scratchpad, another workspace): the window is told nothing itself.
class WindowVisibilityWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WindowVisibilityWatch() override = default;

signals:
    void hiddenChanged(bool hidden);
};

class Desktop {
public:
    virtual ~Desktop() = default;

    virtual Capabilities capabilities() const = 0;

    // Size of the primary screen in device pixels, the unit of captures and the pointer.
    virtual QSize primaryScreenSize() = 0;

    virtual std::unique_ptr<ClipboardWatch> createClipboardWatch() = 0;

    // Taking captures ourselves (ScreenGrab.h). Keys: null where the session lets no program
    // take them; the service: null where the screen can be read without it.
    virtual std::unique_ptr<ScreenSource> createScreenSource() = 0;
    virtual std::unique_ptr<CaptureKeys> createCaptureKeys() = 0;
    virtual std::unique_ptr<ScreenshotService> createScreenshotService() = 0;

    // For the top-level window of that native id; null where hiding is seen as minimising.
    virtual std::unique_ptr<WindowVisibilityWatch> createVisibilityWatch(quint64 window) {
        Q_UNUSED(window);
        return nullptr;
    }
};

// Marks every offer this program puts on the clipboard, so a watch that cannot tell who owns
// an offer (Wayland's) still knows its own: offers are not ours to take in.
inline constexpr char kOwnOfferFormat[] = "application/x-tolvik-offer";
// Puts data on the clipboard as this program's offer (marked), taking it over.
void putOnClipboard(QMimeData* data);

// Picture formats that can be decoded here, most wanted first.
QStringList readablePictureTypes();

// Which road clipboard offers come by: the X server's (also through XWayland) or the
// compositor's data control. TOLVIK_CLIPBOARD=x11|wayland forces one where it can be had.
enum class ClipboardRoad { X11, Wayland };
ClipboardRoad chooseClipboardRoad(const QString& forced, bool waylandSession, bool dataControl);

// The backend for the desktop session: X11 when the program runs on an X server (also
// through XWayland), the headless one otherwise.
std::unique_ptr<Desktop> createDesktop();

// Under a Wayland session the program runs through XWayland: keys, windows and the pointer can
// only be read there (the clipboard may come from the compositor, see chooseClipboardRoad).
// Call before the application object exists.
void chooseSessionPlatform();

} // namespace platform
