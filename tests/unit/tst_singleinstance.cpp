// One collector per user: a later start hands its request to the running one.
#include "app/SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <future>

namespace {
// A later start, in a thread of its own: it waits for the answer the running one gives on
// this thread's event loop.
std::future<SingleInstance::HandOver> laterStart(const QString& path, const QByteArray& request) {
    return std::async(std::launch::async,
                      [path, request] { return SingleInstance(path).handOver(request, 5000); });
}
bool ready(const std::future<SingleInstance::HandOver>& f) {
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void handOver() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tolvik.socket");
        SingleInstance first(path);
        QCOMPARE(first.handOver("x", 1000), SingleInstance::HandOver::NoneRunning);
        QVERIFY(first.listen());
        QSignalSpy requests(&first, &SingleInstance::requested);

        auto raise = laterStart(path, {});
        QTRY_VERIFY(ready(raise));
        QCOMPARE(raise.get(), SingleInstance::HandOver::Taken);
        auto capture = laterStart(path, "--capture region --delay 2");
        QTRY_VERIFY(ready(capture));
        QCOMPARE(capture.get(), SingleInstance::HandOver::Taken);
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[0][0].toByteArray(), QByteArray());
        QCOMPARE(requests[1][0].toByteArray(), QByteArray("--capture region --delay 2"));

        // While one runs, another start cannot become a second collector.
        QVERIFY(!SingleInstance(path).listen());
    }

    void socketLeftBehind() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tolvik.socket");
        // A process that ended without closing its socket leaves the file behind: a socket
        // bound once, listened on by nobody.
        QLocalServer ended;
        QVERIFY(ended.listen(path));
        QVERIFY(QFile::rename(path, path + ".away"));
        ended.close();
        QVERIFY(QFile::rename(path + ".away", path));
        QVERIFY(QFile::exists(path));
        SingleInstance next(path);
        QCOMPARE(next.handOver("x", 1000), SingleInstance::HandOver::NoneRunning);
        QVERIFY(next.listen());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
