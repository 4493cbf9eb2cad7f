#pragma once
// Headless backend: no real pointer or windows; tests set what it reports and push
// clipboard notifications and key presses by hand.
#include "platform/ClipClassify.h"
#include "platform/Platform.h"
#include "platform/ScreenGrab.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <functional>

namespace platform {

class NullDesktop;

class NullClipboardWatch : public ClipboardWatch {
    Q_OBJECT
public:
    explicit NullClipboardWatch(const NullDesktop& desktop) : m_desktop(desktop) {}
    void setActive(bool on) override { m_active = on; }
    bool isActive() const override { return m_active; }

    // Delivers a notification as the system would, but only while active: the
    // process's own clipboard is read at once, with the desktop's pointer and window, as a
    // new announcement.
    void inject(qint32 value);
    void inject(const ClipboardSnapshot& offer) {
        if (m_active)
            emit changed(offer);
    }

private:
    const NullDesktop& m_desktop;
    bool m_active = false;
    quint32 m_announced = 0;
};

// Presses only when a test says so.
class NullCaptureKeys : public CaptureKeys {
    Q_OBJECT
public:
    explicit NullCaptureKeys(QList<CaptureKind> heldElsewhere) : m_held(std::move(heldElsewhere)) {}
    QList<CaptureKind> take() override { return m_held; }
    void press(CaptureKind kind) { emit pressed(kind); }

private:
    QList<CaptureKind> m_held;
};

// Reads the picture a test set as the screen.
class NullScreenSource : public ScreenSource {
public:
    explicit NullScreenSource(const NullDesktop& desktop) : m_desktop(desktop) {}
    bool canGrab() const override;
    PointerSnapshot pointer() override;
    QRect monitorAt(QPoint point) override;
    QRect screenBounds() override;
    QRect activeWindow() override;
    QImage grab(const QRect& area, QString* error) override;

private:
    const NullDesktop& m_desktop;
};

class NullDesktop : public Desktop {
public:
    PointerSnapshot pointer;
    QRect activeWindow;
    QSize screenSize{1920, 1080};
    NullClipboardWatch* lastWatch = nullptr;
    // What the screen shows (null: it cannot be read), its monitors (none: one for the whole
    // picture), and whether only a screenshot service may read it.
    QImage screen;
    QList<QRect> monitors;
    bool grabbable = true;
    QList<CaptureKind> keysHeldElsewhere;
    NullCaptureKeys* lastKeys = nullptr;
    std::function<std::unique_ptr<ScreenshotService>()> makeScreenshotService;

    // Tells nothing of its own; tests say what it can tell.
    Capabilities caps;
    Capabilities capabilities() const override { return caps; }
    QSize primaryScreenSize() override { return screenSize; }
    std::unique_ptr<ClipboardWatch> createClipboardWatch() override {
        auto w = std::make_unique<NullClipboardWatch>(*this);
        lastWatch = w.get();
        return w;
    }
    // Tests tell the window it was hidden or shown through its hiddenChanged().
    WindowVisibilityWatch* lastVisibility = nullptr;
    std::unique_ptr<WindowVisibilityWatch> createVisibilityWatch(quint64) override {
        auto w = std::make_unique<WindowVisibilityWatch>();
        lastVisibility = w.get();
        return w;
    }
    std::unique_ptr<ScreenSource> createScreenSource() override {
        return std::make_unique<NullScreenSource>(*this);
    }
    std::unique_ptr<CaptureKeys> createCaptureKeys() override {
        auto k = std::make_unique<NullCaptureKeys>(keysHeldElsewhere);
        lastKeys = k.get();
        return k;
    }
    std::unique_ptr<ScreenshotService> createScreenshotService() override {
        return makeScreenshotService ? makeScreenshotService() : nullptr;
    }
};

inline bool NullScreenSource::canGrab() const {
    return m_desktop.grabbable;
}
inline PointerSnapshot NullScreenSource::pointer() {
    return m_desktop.pointer;
}
inline QRect NullScreenSource::screenBounds() {
    return m_desktop.screen.rect();
}
inline QRect NullScreenSource::monitorAt(QPoint point) {
    for (const QRect& m : m_desktop.monitors)
        if (m.contains(point))
            return m;
    return m_desktop.monitors.isEmpty() ? screenBounds() : m_desktop.monitors.front();
}
inline QRect NullScreenSource::activeWindow() {
    return m_desktop.activeWindow;
}
inline QImage NullScreenSource::grab(const QRect& area, QString* error) {
    if (m_desktop.screen.isNull() || !m_desktop.screen.rect().contains(area)) {
        if (error)
            *error = QStringLiteral("no screen");
        return {};
    }
    return m_desktop.screen.copy(area);
}

// What the clipboard of this process holds now, as a snapshot.
inline ClipboardSnapshot snapshotOfClipboard(qint32 value) {
    ClipboardSnapshot s;
    s.value = value;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return s;
    s.formats = data->formats();
    if (data->hasImage())
        s.picture = QGuiApplication::clipboard()->image();
    s.richText = std::any_of(s.formats.begin(), s.formats.end(), isRichTextFormat);
    s.hasText = data->hasText();
    s.text = data->text();
    return s;
}

inline void NullClipboardWatch::inject(qint32 value) {
    if (!m_active)
        return;
    ClipboardSnapshot s = snapshotOfClipboard(value);
    s.pointer = m_desktop.pointer;
    s.activeWindow = m_desktop.activeWindow;
    ++m_announced;
    s.announcement = {1, m_announced, m_announced};
    emit changed(s);
}

} // namespace platform
