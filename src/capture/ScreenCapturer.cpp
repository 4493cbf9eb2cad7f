#include "capture/ScreenCapturer.h"

#include "capture/RegionOverlay.h"
#include "core/Messages.h"
#include "platform/Platform.h"

#include <QClipboard>
#include <QGuiApplication>

using platform::CaptureKind;

namespace {
const QString kCommand = QStringLiteral("tolvik --capture screen|window|region");
const QString kNoPortal =
    QStringLiteral("この画面は、ﾃﾞｽｸﾄｯﾌﾟのｽｸﾘｰﾝｼｮｯﾄ機能 (xdg-desktop-portal) を通してしか"
                   "取り込めませんが、それが動いていません\r"
                   "ﾃﾞｽｸﾄｯﾌﾟのｷｬﾌﾟﾁｬｰ機能でｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰすれば、Tolvik が取り込みます");
} // namespace

ScreenCapturer::ScreenCapturer(platform::Desktop& desktop, MessageSink& messages, QObject* parent)
    : QObject(parent), m_messages(messages), m_source(desktop.createScreenSource()),
      m_keys(desktop.createCaptureKeys()), m_service(desktop.createScreenshotService()),
      m_chooseRegion(RegionOverlay::choose) {
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &ScreenCapturer::takeNow);
    if (m_keys)
        connect(m_keys.get(), &platform::CaptureKeys::pressed, this,
                [this](CaptureKind kind) { capture(kind); });
    if (m_service) {
        connect(m_service.get(), &platform::ScreenshotService::taken, this,
                [this](const QImage& picture) {
                    // The desktop's picture as it gave it: where it was and the pointer are
                    // not known.
                    deliver(picture, {}, QRect(QPoint(), picture.size()));
                });
        connect(m_service.get(), &platform::ScreenshotService::missing, this,
                [this] { fail(kNoPortal); });
        connect(m_service.get(), &platform::ScreenshotService::failed, this,
                [this](const QString& why) {
                    fail(QStringLiteral("ﾃﾞｽｸﾄｯﾌﾟのｽｸﾘｰﾝｼｮｯﾄ機能 (xdg-desktop-portal) で"
                                        "ｷｬﾌﾟﾁｬｰできませんでした\r") +
                         why);
                });
        connect(m_service.get(), &platform::ScreenshotService::cancelled, this,
                [this] { m_busy = false; });
    }
}

ScreenCapturer::~ScreenCapturer() {
    delete m_chooser.data();
}

QString ScreenCapturer::keyName(CaptureKind kind) {
    switch (kind) {
    case CaptureKind::Window:
        return QStringLiteral("Alt+Print Screen");
    case CaptureKind::Region:
        return QStringLiteral("Shift+Print Screen");
    default:
        return QStringLiteral("Print Screen");
    }
}

void ScreenCapturer::takeKeys() {
    if (!m_keys)
        return;
    const QList<CaptureKind> held = m_keys->take();
    if (held.isEmpty())
        return;
    QStringList names;
    for (CaptureKind kind : held)
        names << keyName(kind);
    m_messages.notice(QStringLiteral("ｷｰ ") + names.join(QStringLiteral(", ")) +
                      QStringLiteral(" は他のﾌﾟﾛｸﾞﾗﾑが使っています\r") +
                      QStringLiteral("そのｷｬﾌﾟﾁｬｰは ") + kCommand +
                      QStringLiteral(" で取れます (ﾃﾞｽｸﾄｯﾌﾟのｼｮｰﾄｶｯﾄ設定に登録できます)"));
}

void ScreenCapturer::capture(CaptureKind kind, int delayMs) {
    if (m_busy)
        return;
    m_busy = true;
    m_kind = kind;
    if (delayMs > 0)
        m_delay.start(delayMs);
    else
        takeNow();
}

void ScreenCapturer::takeNow() {
    if (!m_source->canGrab()) {
        takeFromService();
        return;
    }
    QString why;
    const platform::PointerSnapshot pointer = m_source->pointer();
    if (m_kind == CaptureKind::Window) {
        const QRect area = m_source->activeWindow().intersected(m_source->screenBounds());
        if (area.isEmpty()) {
            fail(QStringLiteral("ｱｸﾃｨﾌﾞなｳｲﾝﾄﾞｳがありません"));
            return;
        }
        const QImage picture = m_source->grab(area, &why);
        if (picture.isNull())
            fail(QStringLiteral("画面を取り込めませんでした\r") + why);
        else
            deliver(picture, pointer, area);
        return;
    }
    const QRect monitor = m_source->monitorAt(pointer.pos);
    const QImage picture = m_source->grab(monitor, &why);
    if (picture.isNull()) {
        fail(QStringLiteral("画面を取り込めませんでした\r") + why);
        return;
    }
    if (m_kind == CaptureKind::Screen) {
        deliver(picture, pointer, monitor);
        return;
    }
    // The region is cut from the frozen picture: what the user saw while dragging.
    m_chooser = m_chooseRegion(picture, [this, guard = QPointer<ScreenCapturer>(this), picture,
                                         pointer, monitor](QRect region) {
        if (!guard)
            return;
        region &= picture.rect();
        if (region.isEmpty()) {
            m_busy = false;
            return;
        }
        deliver(picture.copy(region), pointer, region.translated(monitor.topLeft()));
    });
}

void ScreenCapturer::takeFromService() {
    if (!m_service) {
        fail(kNoPortal);
        return;
    }
    // The desktop chooses the screen; a window or a region the user chooses in its dialog.
    m_service->request(m_kind != CaptureKind::Screen);
}

void ScreenCapturer::deliver(const QImage& picture, platform::PointerSnapshot pointer,
                             const QRect& area) {
    m_busy = false;
    platform::ClipboardSnapshot s;
    s.value = 0;
    s.picture = picture;
    // In the picture's own pixels, so that the pointer lands where it was whichever monitor
    // or window was taken.
    pointer.pos -= area.topLeft();
    s.pointer = pointer;
    s.activeWindow = QRect(QPoint(), picture.size());
    auto* data = new QMimeData;
    data->setImageData(picture);
    platform::putOnClipboard(data);
    emit captured(s);
}

void ScreenCapturer::fail(const QString& text) {
    m_busy = false;
    m_messages.notice(text);
}
