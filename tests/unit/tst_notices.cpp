// The notice box stays a bounded size however many failures pile up.
#include "core/NoticeLog.h"

#include <QtTest>

class TestNotices : public QObject {
    Q_OBJECT
private slots:
    void keepsTheNewestAndCountsTheRest() {
        NoticeLog log;
        log.add(QStringLiteral("ひとつ目\rfirst cause"));
        QCOMPARE(log.text(), QStringLiteral("ひとつ目\nfirst cause"));
        for (int i = 2; i <= 40; ++i)
            log.add(QStringLiteral("失敗 %1\rNo space left on device").arg(i));
        const QString text = log.text();
        QVERIFY(text.startsWith(QStringLiteral("ほかに 36 件")));
        QVERIFY(text.contains(QStringLiteral("失敗 40")));
        QVERIFY(!text.contains(QStringLiteral("失敗 36\n")));
        QVERIFY(text.count(u'\n') <= 2 + NoticeLog::kShown * (NoticeLog::kLinesEach + 1));
        log.clear();
        QCOMPARE(log.total(), 0);
    }

    void cutsLongNotices() {
        NoticeLog log;
        log.add(QString(1000, u'x') + QStringLiteral("\r2\r3\r4\r5\r6"));
        const QStringList lines = log.text().split(u'\n');
        QCOMPARE(lines.size(), NoticeLog::kLinesEach);
        for (const QString& l : lines)
            QVERIFY(l.size() <= NoticeLog::kLineLength + 2);
    }
};

QTEST_GUILESS_MAIN(TestNotices)
#include "tst_notices.moc"
