// Captures taken by the program itself on the headless desktop: what is grabbed for each
// kind, where the pointer lands, the clipboard, the keys another program holds, the desktop's
// screenshot service, and the region a drag marks.
#include "capture/CaptureIntake.h"
#include "capture/RegionOverlay.h"
#include "capture/ScreenCapturer.h"
#include "platform/null/NullDesktop.h"
#include "testsupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

using platform::CaptureKind;

namespace {

// Two monitors side by side, of the same size, every pixel telling where it is.
QImage twoMonitors() {
    QImage img(400, 100, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x & 255, y, x >> 8));
    return img;
}

struct Fixture {
    platform::NullDesktop desktop;
    RecordingMessages messages;
    std::unique_ptr<ScreenCapturer> capturer;
    std::vector<platform::ClipboardSnapshot> taken;

    Fixture() {
        desktop.screen = twoMonitors();
        desktop.monitors = {QRect(0, 0, 200, 100), QRect(200, 0, 200, 100)};
        desktop.screenSize = {200, 100};
        QImage arrow(4, 4, QImage::Format_ARGB32_Premultiplied);
        arrow.fill(Qt::white);
        desktop.pointer = {arrow, QPoint(250, 40), true, QPoint(0, 0)};
        capturer = std::make_unique<ScreenCapturer>(desktop, messages);
        QObject::connect(capturer.get(), &ScreenCapturer::captured,
                         [this](const platform::ClipboardSnapshot& s) { taken.push_back(s); });
    }
};

// Records what the desktop's service is asked and answers when told.
struct FakeService : platform::ScreenshotService {
    QList<bool> asked;
    void request(bool interactive) override { asked << interactive; }
};

} // namespace

class TestScreenCapturer : public QObject {
    Q_OBJECT
private slots:
    void screenUnderThePointer() {
        Fixture f;
        f.capturer->capture(CaptureKind::Screen);
        QCOMPARE(f.taken.size(), size_t(1));
        const platform::ClipboardSnapshot& s = f.taken[0];
        QCOMPARE(s.value, 0);
        QCOMPARE(s.picture, f.desktop.screen.copy(200, 0, 200, 100));
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 s.picture);
        // Composed as any capture is, the pointer lands where it stood on the second monitor,
        // though that monitor is as large as the primary one.
        CaptureSettings settings;
        settings.screen = f.desktop.screenSize;
        const QImage stored = composeCapture(s.picture, s, settings).image();
        QCOMPARE(stored.pixel(50, 40), qRgb(255, 255, 255));
        QCOMPARE(stored.pixel(49, 40), s.picture.pixel(49, 40));
        QVERIFY(!f.capturer->busy());
    }

    void activeWindow() {
        Fixture f;
        // Partly off the screen: what is on it.
        f.desktop.activeWindow = QRect(-20, 10, 100, 50);
        f.capturer->capture(CaptureKind::Window);
        QCOMPARE(f.taken.size(), size_t(1));
        QCOMPARE(f.taken[0].picture, f.desktop.screen.copy(0, 10, 80, 50));
        QCOMPARE(f.taken[0].pointer.pos, QPoint(250, 30));

        f.desktop.activeWindow = {};
        f.capturer->capture(CaptureKind::Window);
        QCOMPARE(f.taken.size(), size_t(1));
        QCOMPARE(f.messages.notices, QStringList{"ｱｸﾃｨﾌﾞなｳｲﾝﾄﾞｳがありません"});
        QVERIFY(!f.capturer->busy()); // the next request is not dropped
        f.desktop.screen = {};
        f.capturer->capture(CaptureKind::Screen);
        QCOMPARE(f.messages.notices.size(), 2);
        QVERIFY(f.messages.notices[1].startsWith("画面を取り込めませんでした"));
    }

    void regionFromTheFrozenScreen() {
        Fixture f;
        QImage frozen;
        std::function<void(QRect)> answer;
        f.capturer->setRegionChooser([&](const QImage& shown, std::function<void(QRect)> chosen) {
            frozen = shown;
            answer = std::move(chosen);
            return nullptr;
        });
        f.capturer->capture(CaptureKind::Region);
        QCOMPARE(frozen, f.desktop.screen.copy(200, 0, 200, 100));
        // The screen changes while the user drags; the region is what was frozen.
        f.desktop.screen.fill(Qt::black);
        f.capturer->capture(CaptureKind::Screen); // dropped: a region is being chosen
        QVERIFY(f.taken.empty());
        answer(QRect(30, 20, 40, 30));
        QCOMPARE(f.taken.size(), size_t(1));
        QCOMPARE(f.taken[0].picture, frozen.copy(30, 20, 40, 30));
        QCOMPARE(f.taken[0].pointer.pos, QPoint(20, 20));

        f.capturer->capture(CaptureKind::Region);
        answer(QRect()); // given up
        QCOMPARE(f.taken.size(), size_t(1));
        QVERIFY(!f.capturer->busy());
    }

    void delayHoldsOtherRequests() {
        Fixture f;
        f.capturer->capture(CaptureKind::Screen, 60000);
        f.capturer->capture(CaptureKind::Window);
        QVERIFY(f.taken.empty());
        QVERIFY(f.capturer->busy());
    }

    void keysHeldElsewhereToldOnce() {
        Fixture f;
        f.desktop.keysHeldElsewhere = {CaptureKind::Screen, CaptureKind::Window};
        ScreenCapturer c(f.desktop, f.messages);
        c.takeKeys();
        QCOMPARE(f.messages.notices.size(), 1);
        const QString& n = f.messages.notices[0];
        QVERIFY2(n.contains("Print Screen, Alt+Print Screen は他のﾌﾟﾛｸﾞﾗﾑが使っています"),
                 qPrintable(n));
        QVERIFY(!n.contains("Shift"));
        QVERIFY(n.contains("--capture"));

        // Those left to us capture when pressed.
        std::vector<platform::ClipboardSnapshot> got;
        connect(&c, &ScreenCapturer::captured,
                [&got](const platform::ClipboardSnapshot& s) { got.push_back(s); });
        f.desktop.lastKeys->press(CaptureKind::Window);
        QCOMPARE(f.messages.notices.size(), 2); // no active window
        f.desktop.lastKeys->press(CaptureKind::Screen);
        QCOMPARE(got.size(), size_t(1));

        f.messages.notices.clear();
        f.desktop.keysHeldElsewhere.clear();
        ScreenCapturer free(f.desktop, f.messages);
        free.takeKeys();
        QVERIFY(f.messages.notices.isEmpty());
    }

    void onlyTheDesktopMayReadTheScreen() {
        Fixture f;
        f.desktop.grabbable = false;
        // No service: said plainly.
        ScreenCapturer none(f.desktop, f.messages);
        none.capture(CaptureKind::Screen);
        QCOMPARE(f.messages.notices.size(), 1);
        QVERIFY(f.messages.notices[0].contains("xdg-desktop-portal"));
        QVERIFY(!none.busy());

        FakeService* service = nullptr;
        f.desktop.makeScreenshotService = [&service] {
            auto s = std::make_unique<FakeService>();
            service = s.get();
            return s;
        };
        ScreenCapturer c(f.desktop, f.messages);
        std::vector<platform::ClipboardSnapshot> got;
        connect(&c, &ScreenCapturer::captured,
                [&got](const platform::ClipboardSnapshot& s) { got.push_back(s); });
        c.capture(CaptureKind::Screen);
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        emit service->taken(picture);
        QCOMPARE(got.size(), size_t(1));
        QCOMPARE(got[0].picture, picture);
        QVERIFY(got[0].pointer.image.isNull()); // where it was is not known
        // A window or a region is chosen in the desktop's own dialog.
        c.capture(CaptureKind::Region);
        emit service->cancelled();
        c.capture(CaptureKind::Window);
        emit service->missing();
        QCOMPARE(service->asked, (QList<bool>{false, true, true}));
        QCOMPARE(f.messages.notices.size(), 2);
        QCOMPARE(f.messages.notices[1], f.messages.notices[0]);
        QCOMPARE(got.size(), size_t(1));
    }

    void regionOfADrag() {
        // Twice as many device pixels as logical ones; either direction of drag.
        const QSizeF view(100, 50);
        const QSize picture(200, 100);
        QCOMPARE(regionOfDrag({10, 10}, {30, 20}, view, picture), QRect(20, 20, 40, 20));
        QCOMPARE(regionOfDrag({30, 20}, {10, 10}, view, picture), QRect(20, 20, 40, 20));
        QCOMPARE(regionOfDrag({10.5, 10}, {30, 20}, view, picture), QRect(21, 20, 39, 20));
        // Past the edge: up to it.
        QCOMPARE(regionOfDrag({-5, 40}, {120, 60}, view, picture), QRect(0, 80, 200, 20));
        QVERIFY(regionOfDrag({10, 10}, {10, 30}, view, picture).isEmpty());
    }
};

QTEST_MAIN(TestScreenCapturer)
#include "tst_screencapturer.moc"
