// The command line and the requests a later start hands over to the running instance.
#include "app/CommandLine.h"

#include <QtTest>

using platform::CaptureKind;
using Action = CommandLine::Action;

namespace {
CommandLine parse(const QString& line) {
    return parseCommandLine(QStringList{"tolvik"} + line.split(' ', Qt::SkipEmptyParts));
}
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void captures() {
        const CommandLine plain = parse("");
        QCOMPARE(plain.action, Action::Start);
        QVERIFY(!plain.capture);
        QVERIFY(plain.request().isEmpty()); // raise the running one

        CommandLine c = parse("--capture window --delay 1.5");
        QCOMPARE(c.action, Action::Start);
        QVERIFY(c.capture == CaptureKind::Window);
        QCOMPARE(c.delayMs, 1500);
        c = parse("--delay=2 --capture=region");
        QVERIFY(c.capture == CaptureKind::Region);
        QCOMPARE(c.delayMs, 2000);
        QCOMPARE(parse("--capture screen").delayMs, 0);

        // Handed over in words the running instance reads back the same.
        for (const char* line : {"--capture screen", "--capture region --delay 0.25"}) {
            const CommandLine sent = parse(line);
            const CommandLine read = parseRequest(sent.request());
            QCOMPARE(read.action, Action::Start);
            QVERIFY(read.capture == sent.capture);
            QCOMPARE(read.delayMs, sent.delayMs);
        }
        QCOMPARE(parseRequest("--help").action, Action::Error);
    }

    void mistakes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("unknown");
        QTest::newRow("no kind") << "--capture" << false;
        QTest::newRow("bad kind") << "--capture desktop" << false;
        QTest::newRow("delay alone") << "--delay 1" << false;
        QTest::newRow("negative") << "--capture screen --delay -1" << false;
        QTest::newRow("not a number") << "--capture screen --delay soon" << false;
        QTest::newRow("too long") << "--capture screen --delay 100000" << false;
        QTest::newRow("stray") << "--capture screen extra" << true;
        QTest::newRow("Qt's own") << "-platform xcb" << true;
        QTest::newRow("autostart alone") << "--autostart" << false;
        QTest::newRow("autostart yes") << "--autostart yes" << false;
    }
    void mistakes() {
        QFETCH(QString, line);
        QFETCH(bool, unknown);
        const CommandLine c = parse(line);
        QCOMPARE(c.action, Action::Error);
        QVERIFY(!c.error.isEmpty());
        QCOMPARE(c.unknown, unknown);
    }

    void helpAndVersionWin() {
        QCOMPARE(parse("--capture screen --help").action, Action::Help);
        QCOMPARE(parse("-h").action, Action::Help);
        QCOMPARE(parse("--version").action, Action::Version);
        for (const char* line : {"--autostart on", "--autostart=off"}) {
            const CommandLine c = parse(line);
            QCOMPARE(c.action, Action::Autostart);
            QCOMPARE(c.autostartOn, QByteArray(line).endsWith("on"));
        }
        QVERIFY(usageText("tolvik").contains("--autostart on"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
