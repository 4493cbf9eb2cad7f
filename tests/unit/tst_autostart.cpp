// The start-at-login entry: where it goes, what it runs, and turning it off again.
#include "app/Autostart.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestAutostart : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private slots:
    void onAndOff() {
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toLocal8Bit());
        const QString entry = m_home.filePath("config/autostart/tolvik.desktop");
        QCOMPARE(autostart::entryPath("tolvik"), entry);

        QString said;
        QVERIFY(autostart::set(true, "tolvik", "/usr/bin/tolvik", &said)); // folder made
        QFile f(entry);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        f.close();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nExec=/usr/bin/tolvik\n"));
        QVERIFY(text.contains("\nType=Application\n"));

        QVERIFY(autostart::set(false, "tolvik", "/usr/bin/tolvik", &said));
        QVERIFY(!QFileInfo::exists(entry));
        QVERIFY(autostart::set(false, "tolvik", "/usr/bin/tolvik", &said)); // already off

        // A folder that cannot be made is told, not passed over.
        QFile blocker(m_home.filePath("blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_CONFIG_HOME", m_home.filePath("blocked").toLocal8Bit());
        QVERIFY(!autostart::set(true, "tolvik", "/usr/bin/tolvik", &said));
        QVERIFY(said.contains(m_home.filePath("blocked")));
    }

    void execIsQuotedWhenItMustBe() {
        QVERIFY(autostart::entryText("/opt/my apps/tolvik")
                    .contains("\nExec=\"/opt/my apps/tolvik\"\n"));
        QVERIFY(autostart::entryText("/opt/a$b\"c/100%/tolvik")
                    .contains("\nExec=\"/opt/a\\$b\\\"c/100%%/tolvik\"\n"));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
