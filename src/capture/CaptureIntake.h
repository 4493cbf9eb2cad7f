#pragma once
// Intake of clipboard offers: a screen capture, with the pointer drawn in, optionally
// reduced in colours, becomes the next numbered bitmap of the work folder; another
// program's picture or text copy becomes the next ".bmp" or ".txt". Each offer's snapshot
// is decoded, composed and stored on the storing thread, in the order the offers came,
// and the outcome is handed back to the window.
#include "capture/StoreQueue.h"
#include "imaging/ImageModel.h"
#include "imaging/PngRows.h"
#include "platform/Platform.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class WorkFolder;

// What the window is told when an intake is over.
struct IntakeOutcome {
    enum class Kind {
        Stored,     // stored at path
        NotStored,  // taken in but not stored: error says why
        Unreadable, // the offer announced data that could not be read or decoded
        Repeat,     // the announcement last stored, read again: not stored again
        Nothing,    // nothing to take in (a capture without a picture)
    };
    enum class Source { Capture, Copy, WorkFolderSave };
    Kind kind = Kind::Nothing;
    Source source = Source::Capture;
    bool isText = false;
    imaging::ImageModel picture; // the picture taken in, also when it was not stored
    QString text;
    QString path;
    QString error;
};

// What a capture needs from the window at the moment it is announced.
struct CaptureSettings {
    bool drawPointer = true;
    int reductionCode = 0; // 0: keep the colours
    QString prefix;
    QSize screen; // primary screen, device pixels
};

class CaptureIntake {
public:
    using Done = std::function<void(const IntakeOutcome&)>;

    CaptureIntake(WorkFolder& folder, Done done);
    ~CaptureIntake();

    void takeCapture(const platform::ClipboardSnapshot& offer, const CaptureSettings& settings);
    void takeCopy(const platform::ClipboardSnapshot& offer, const QString& prefix);
    // Stores a picture as the next numbered bitmap, after a fresh scan of the folder.
    void storeInWorkFolder(const imaging::ImageModel& picture, const QString& prefix);
    // Scans the folder for the next number, in turn with the stores.
    void scan(const QString& prefix);
    // Empties the folder in turn with the stores, so none is cut short; done follows on the
    // window's thread.
    void emptyWorkFolder(std::function<void()> done);

    StoreQueue& queue() { return m_queue; }

private:
    struct Kept; // kept from one offer to the next; touched on the storing thread only
    // Decodes the offer's picture, makes the model to store (make) and stores it.
    static IntakeOutcome takePicture(platform::ClipboardSnapshot& offer,
                                     IntakeOutcome::Source source, Kept& kept, WorkFolder& folder,
                                     const QString& prefix,
                                     const std::function<imaging::ImageModel(QImage)>& make);
    WorkFolder& m_folder;
    Done m_done;
    std::shared_ptr<Kept> m_kept;
    StoreQueue m_queue; // last: finishes its work before the rest goes
};

// The offer's picture, decoded (a decoded one is taken out of the offer); null with the
// reason in error when it cannot be. A PNG of the form screenshot tools offer is decoded into
// buffers when they are given.
QImage decodeOffer(platform::ClipboardSnapshot& offer, QString* error,
                   imaging::PngBuffers* buffers = nullptr);

// Where the pointer image's top-left corner goes in the picture: at its screen position in
// a full-screen capture (at least as large as the screen), relative to the active window
// otherwise; the hotspot lies on the pointer position (a fixed (6, 8) without one).
QPoint pointerPlacement(const platform::PointerSnapshot& pointer, QSize picture, QSize screen,
                        const QRect& activeWindow);

// The offered picture as it is stored: depth code 24 (held at 32 bits), the pointer drawn in,
// 96 dpi, reduced to the depth code when one is given.
imaging::ImageModel composeCapture(QImage picture, const platform::ClipboardSnapshot& offer,
                                   const CaptureSettings& settings);
