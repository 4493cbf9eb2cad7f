// Classification of clipboard notifications and the capture-wait hook.
#include "capture/ClipboardWatcher.h"
#include "platform/null/NullDesktop.h"

#include <QtTest>

namespace {
struct Calls : IntakeTarget {
    bool mpnt = true;
    bool cpye = true;
    int clips = 0;
    int copies = 0;
    int lastX = -1, lastY = -1;
    bool lastHadCursor = false;
    std::function<void()> during; // runs inside an intake, like a nested event loop

    bool bMPnt() const override { return mpnt; }
    bool bCpyE() const override { return cpye; }
    void sjClip(int x, int y, const QImage& cur) override {
        ++clips;
        lastX = x;
        lastY = y;
        lastHadCursor = !cur.isNull();
        if (during) {
            auto f = std::move(during);
            during = nullptr;
            f();
        }
    }
    void sjClp2() override { ++copies; }
};

struct CountingWatch : platform::NullClipboardWatch {
    int activations = 0;
    int deactivations = 0;
    void setActive(bool on) override {
        (on ? activations : deactivations)++;
        NullClipboardWatch::setActive(on);
    }
};

struct CountingDesktop : platform::NullDesktop {
    CountingWatch* watch = nullptr;
    std::unique_ptr<platform::ClipboardWatch> createClipboardWatch() override {
        auto w = std::make_unique<CountingWatch>();
        watch = w.get();
        lastWatch = w.get();
        return w;
    }
};
} // namespace

class TestWatcher : public QObject {
    Q_OBJECT
private slots:
    void classification_data() {
        QTest::addColumn<int>("wParam");
        QTest::addColumn<bool>("capture");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("65500") << 65500 << true;
        QTest::newRow("65599") << 65599 << true;
        QTest::newRow("65499") << 65499 << false;
        QTest::newRow("65600") << 65600 << false;
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("-65550") << -65550 << false;
    }
    void classification() {
        QFETCH(int, wParam);
        QFETCH(bool, capture);
        QCOMPARE(ClipboardWatcher::isCaptureValue(wParam), capture);
    }

    void capturesAndCopiesReachTheirIntakes() {
        CountingDesktop desk;
        desk.pointer = {QImage(8, 8, QImage::Format_ARGB32), QPoint(100, 50)};
        Calls calls;
        ClipboardWatcher w(desk, calls);
        w.SetCaptureHook(1);
        desk.watch->inject(65550);
        QCOMPARE(calls.clips, 1);
        QCOMPARE(calls.lastX, 94); // position less the fixed offset
        QCOMPARE(calls.lastY, 42);
        QVERIFY(calls.lastHadCursor);
        desk.watch->inject(12);
        QCOMPARE(calls.copies, 1);
    }

    void optionsOff() {
        CountingDesktop desk;
        desk.pointer = {QImage(8, 8, QImage::Format_ARGB32), QPoint(100, 50)};
        Calls calls;
        calls.mpnt = false;
        calls.cpye = false;
        ClipboardWatcher w(desk, calls);
        w.SetCaptureHook(1);
        desk.watch->inject(0);
        QCOMPARE(calls.clips, 1);
        QCOMPARE(calls.lastX, 0);
        QCOMPARE(calls.lastY, 0);
        QVERIFY(!calls.lastHadCursor);
        desk.watch->inject(7);
        QCOMPARE(calls.copies, 0);
    }

    void hookStates() {
        CountingDesktop desk;
        Calls calls;
        ClipboardWatcher w(desk, calls);
        w.SetCaptureHook(0); // not hooked: nothing to leave
        QCOMPARE(desk.watch->deactivations, 0);
        w.SetCaptureHook(1);
        w.SetCaptureHook(1);
        QCOMPARE(desk.watch->activations, 1);
        w.SetCaptureHook(2); // grey counts as off
        QVERIFY(!w.hooked());
        QCOMPARE(desk.watch->deactivations, 1);
        desk.watch->inject(0); // not watching any more
        QCOMPARE(calls.clips, 0);
    }

    void notificationDuringIntakeIsTakenAfterIt() {
        CountingDesktop desk;
        Calls calls;
        ClipboardWatcher w(desk, calls);
        w.SetCaptureHook(1);
        int clipsSeenInside = -1;
        calls.during = [&] {
            desk.watch->inject(0);
            clipsSeenInside = calls.clips; // not re-entered
        };
        desk.watch->inject(0);
        QCOMPARE(clipsSeenInside, 1);
        QCOMPARE(calls.clips, 2);
    }

    void intakeThatThrowsClearsTheGuard() {
        CountingDesktop desk;
        Calls calls;
        ClipboardWatcher w(desk, calls);
        w.SetCaptureHook(1);
        calls.during = [] { throw std::runtime_error("intake failed"); };
        desk.watch->inject(0);
        desk.watch->inject(0);
        QCOMPARE(calls.clips, 2);
    }
};

QTEST_GUILESS_MAIN(TestWatcher)
#include "tst_watcher.moc"
