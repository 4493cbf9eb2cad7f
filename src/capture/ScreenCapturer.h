#pragma once
// Captures Tolvik takes itself, where the desktop's Print Screen does nothing: the monitor
// under the pointer, the active window, or a region dragged on the frozen screen, after a
// delay, with the pointer where it is then. The picture goes on the clipboard, exactly where
// the system key would have put it, and to the intake as the clipboard watch would hand it
// over (the watch never reports our own offers, so it is taken in once).
#include "platform/ScreenGrab.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class MessageSink;
class QWidget;

class ScreenCapturer : public QObject {
    Q_OBJECT
public:
    // Shows the frozen screen and lets the user drag a region: chosen gets it in the
    // picture's pixels, or an empty rectangle when the user gave up. Returns what it shows,
    // which goes when the capturer does.
    using RegionChooser =
        std::function<QWidget*(const QImage& frozen, std::function<void(QRect)> chosen)>;

    ScreenCapturer(platform::Desktop& desktop, MessageSink& messages, QObject* parent = nullptr);
    ~ScreenCapturer() override;

    // Takes the capture keys for as long as this object lives and tells once which of them
    // another program holds.
    void takeKeys();
    // A request while another is under way (its delay, a region being dragged) is dropped.
    void capture(platform::CaptureKind kind, int delayMs = 0);
    bool busy() const { return m_busy; }
    void setRegionChooser(RegionChooser chooser) { m_chooseRegion = std::move(chooser); }

    // The key that takes each kind, as the user reads it.
    static QString keyName(platform::CaptureKind kind);

signals:
    // A capture as a clipboard offer: value 0, the picture, the pointer and the active window,
    // all in the picture's own pixels.
    void captured(const platform::ClipboardSnapshot& capture);

private:
    void takeNow();
    void takeFromService();
    // area: where the picture was on the screen.
    void deliver(const QImage& picture, platform::PointerSnapshot pointer, const QRect& area);
    void fail(const QString& text);

    MessageSink& m_messages;
    std::unique_ptr<platform::ScreenSource> m_source;
    std::unique_ptr<platform::CaptureKeys> m_keys;
    std::unique_ptr<platform::ScreenshotService> m_service;
    RegionChooser m_chooseRegion;
    QPointer<QWidget> m_chooser;
    QTimer m_delay;
    platform::CaptureKind m_kind = platform::CaptureKind::Screen;
    bool m_busy = false;
};
