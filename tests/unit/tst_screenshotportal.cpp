// The desktop's screenshot portal, on a private session bus: the picture it answers with, and
// plain word when none is running. Skipped where dbus-daemon is not installed.
#include "platform/portal/ScreenshotPortal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {

// The portal's side: answers each request on its request object, as xdg-desktop-portal does.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    explicit FakePortal(const QDBusConnection& bus) : m_bus(bus) {}
    QString file;
    QVariantMap options;

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& opts, const QDBusMessage& call) {
        options = opts;
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(call.service().mid(1).replace('.', '_'),
                                      opts.value("handle_token").toString());
        QTimer::singleShot(0, this, [this, path] {
            QDBusMessage answer =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            answer << 0u << QVariantMap{{"uri", QUrl::fromLocalFile(file).toString()}};
            m_bus.send(answer);
        });
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

} // namespace

class TestScreenshotPortal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("dbus-daemon not installed");
        QVERIFY(m_dir.isValid());
        // No service folders: nothing is started on demand, so no real portal answers.
        QFile conf(m_dir.filePath("bus.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(
            "<busconfig><type>session</type><listen>unix:tmpdir=" + m_dir.path().toLocal8Bit() +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        conf.close();
        m_bus.start(daemon, {"--config-file=" + conf.fileName(), "--nofork", "--print-address=1"});
        QVERIFY(m_bus.waitForReadyRead(10000));
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase() {
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void noneRunning() {
        platform::ScreenshotPortal portal;
        QSignalSpy missing(&portal, &platform::ScreenshotService::missing);
        portal.request(false);
        QVERIFY(missing.wait(5000));
    }

    void pictureFromThePortal() {
        QDBusConnection bus = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), "portal");
        FakePortal fake(bus);
        QImage shot(24, 16, QImage::Format_RGB32);
        shot.fill(qRgb(10, 200, 30));
        fake.file = m_dir.filePath("shot.png");
        QVERIFY(shot.save(fake.file));
        QVERIFY(bus.registerObject("/org/freedesktop/portal/desktop", &fake,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.portal.Desktop"));

        platform::ScreenshotPortal portal;
        QSignalSpy taken(&portal, &platform::ScreenshotService::taken);
        portal.request(true);
        QVERIFY(taken.wait(5000));
        QCOMPARE(taken[0][0].value<QImage>().convertToFormat(QImage::Format_RGB32), shot);
        QCOMPARE(fake.options.value("interactive").toBool(), true);
        bus.unregisterService("org.freedesktop.portal.Desktop");
    }

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
};

QTEST_GUILESS_MAIN(TestScreenshotPortal)
#include "tst_screenshotportal.moc"
