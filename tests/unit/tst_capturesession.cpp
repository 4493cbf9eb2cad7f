// Capture wait as a session: the hook and the folder scan follow it, the window's check
// button mirrors it and minimising or restoring the window moves it.
#include "capture/CaptureSession.h"
#include "capture/ClipboardWatcher.h"
#include "mainwindow/TopBand.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QtTest>

namespace {
struct NoIntake : IntakeTarget {
    CaptureOptions options;
    const CaptureOptions& captureOptions() const override { return options; }
    void captureOffered(const platform::ClipboardSnapshot&) override {}
    void copyOffered(const platform::ClipboardSnapshot&) override {}
};
} // namespace

class TestCaptureSession : public QObject {
    Q_OBJECT
private slots:
    void hookAndScanFollowTheState() {
        platform::NullDesktop desktop;
        NoIntake target;
        ClipboardWatcher watcher(desktop, target);
        int scans = 0;
        CaptureSession session(watcher, [&scans] { ++scans; });
        QSignalSpy changed(&session, &CaptureSession::waitingChanged);
        session.setWaiting(true);
        session.setWaiting(true); // again: nothing new
        QVERIFY(session.waiting() && watcher.hooked());
        QCOMPARE(scans, 1);
        QCOMPARE(changed.size(), 1);
        session.setWaiting(false);
        QVERIFY(!session.waiting() && !watcher.hooked());
        QCOMPARE(scans, 1); // only when waiting begins
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.last().at(0).toBool(), false);
    }

    void windowMirrorsTheSession() {
        WindowFixture win;
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        CaptureSession& session = win.ws().folder.captureWait();
        QCheckBox& box = *win.band().captureWait;
        session.setWaiting(true); // asked by code: the button follows, the window goes
        QVERIFY(box.isChecked());
        QTRY_VERIFY(win.w->isMinimized());
        win.w->showNormal(); // restoring ends it
        QTRY_VERIFY(!session.waiting());
        QVERIFY(!box.isChecked() && !win.ws().folder.watcher().hooked());
        QTest::mouseClick(&box, Qt::LeftButton); // a click asks the session
        QVERIFY(session.waiting() && win.ws().folder.watcher().hooked());
        QTRY_VERIFY(win.w->isMinimized());
        QVERIFY(box.isChecked());
        session.setWaiting(false); // while minimised: the button follows, the window stays
        QVERIFY(!box.isChecked() && !win.ws().folder.watcher().hooked());
        QVERIFY(win.w->isMinimized());
    }

    void hiddenByTheCompositor() {
        WindowFixture win;
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        CaptureSession& session = win.ws().folder.captureWait();
        QVERIFY(win.desktop.lastVisibility);
        // Hidden without being minimised (sway's scratchpad): waiting begins, the window is
        // left as it is, and the resize that comes with hiding does not end it.
        emit win.desktop.lastVisibility->hiddenChanged(true);
        QVERIFY(session.waiting() && win.band().captureWait->isChecked());
        QVERIFY(!win.w->isMinimized());
        win.w->resize(win.w->width() - 20, win.w->height() - 20);
        QCoreApplication::processEvents();
        QVERIFY(session.waiting());
        // Shown again: waiting ends as on restoring.
        emit win.desktop.lastVisibility->hiddenChanged(false);
        QVERIFY(!session.waiting() && !win.band().captureWait->isChecked());
    }
};

QTEST_MAIN(TestCaptureSession)
#include "tst_capturesession.moc"
