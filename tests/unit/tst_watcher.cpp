// Classification of clipboard notifications and the capture-wait hook.
#include "capture/ClipboardWatcher.h"
#include "platform/null/NullDesktop.h"

#include <QtTest>

namespace {
struct Calls : IntakeTarget {
    CaptureOptions options;
    int clips = 0;
    int copies = 0;
    platform::ClipboardSnapshot last;

    const CaptureOptions& captureOptions() const override { return options; }
    void captureOffered(const platform::ClipboardSnapshot& offer) override {
        ++clips;
        last = offer;
    }
    void copyOffered(const platform::ClipboardSnapshot& offer) override {
        ++copies;
        last = offer;
    }
};

struct CountingWatch : platform::NullClipboardWatch {
    using NullClipboardWatch::NullClipboardWatch;
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
        auto w = std::make_unique<CountingWatch>(*this);
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
        w.setWatching(true);
        desk.watch->inject(65550);
        QCOMPARE(calls.clips, 1);
        QCOMPARE(calls.last.pointer.pos, QPoint(100, 50));
        QVERIFY(!calls.last.pointer.image.isNull());
        desk.watch->inject(12);
        QCOMPARE(calls.copies, 1);
    }

    void optionsOff() {
        CountingDesktop desk;
        desk.pointer = {QImage(8, 8, QImage::Format_ARGB32), QPoint(100, 50)};
        Calls calls;
        calls.options.drawPointer = false;
        calls.options.takeCopies = false;
        ClipboardWatcher w(desk, calls);
        w.setWatching(true);
        desk.watch->inject(0);
        QCOMPARE(calls.clips, 1); // the intake leaves the pointer out
        desk.watch->inject(7);
        QCOMPARE(calls.copies, 0);
    }

    void hookStates() {
        CountingDesktop desk;
        Calls calls;
        ClipboardWatcher w(desk, calls);
        w.setWatching(false); // not hooked: nothing to leave
        QCOMPARE(desk.watch->deactivations, 0);
        w.setWatching(true);
        w.setWatching(true);
        QCOMPARE(desk.watch->activations, 1);
        w.setWatching(false);
        QVERIFY(!w.hooked());
        QCOMPARE(desk.watch->deactivations, 1);
        desk.watch->inject(0); // not watching any more
        QCOMPARE(calls.clips, 0);
    }
};

QTEST_MAIN(TestWatcher)
#include "tst_watcher.moc"
