#pragma once
// Headless backend: no real pointer or windows; tests set what it reports and push
// clipboard notifications by hand.
#include "platform/ClipClassify.h"
#include "platform/Platform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

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

class NullDesktop : public Desktop {
public:
    PointerSnapshot pointer;
    QRect activeWindow;
    QSize screenSize{1920, 1080};
    NullClipboardWatch* lastWatch = nullptr;

    // Tells nothing of its own; tests say what it can tell.
    Capabilities caps;
    Capabilities capabilities() const override { return caps; }
    QSize primaryScreenSize() override { return screenSize; }
    std::unique_ptr<ClipboardWatch> createClipboardWatch() override {
        auto w = std::make_unique<NullClipboardWatch>(*this);
        lastWatch = w.get();
        return w;
    }
};

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
