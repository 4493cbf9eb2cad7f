// The responsiveness probe: the gaps it reports, and the lines a benchmark reads.
#include "app/ResponsivenessProbe.h"
#include "imaging/ImageView.h"
#include "imaging/PictureDocument.h"

#include <QtTest>

namespace {
QStringList g_logged;
void record(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (QLatin1String(context.category) == QLatin1String("tolvik.probe"))
        g_logged << text;
}
} // namespace

class TestProbe : public QObject {
    Q_OBJECT
private slots:
    void gapsOverTheLimitAreReportedAndTheLongestKept() {
        GapMeter gaps(20);
        QCOMPARE(gaps.tick(1000), 0); // the first tick has nothing before it
        QCOMPARE(gaps.tick(1010), 0);
        QCOMPARE(gaps.tick(1030), 0); // at the limit: not reported
        QCOMPARE(gaps.tick(1337), 307);
        QCOMPARE(gaps.tick(1348), 0);
        QCOMPARE(gaps.tick(1400), 52);
        QCOMPARE(gaps.longest(), 307);
    }

    void offUnlessItsCategoryIsOn() {
        imaging::PictureDocument doc;
        QVERIFY(!ResponsivenessProbe(doc).running());
        QLoggingCategory::setFilterRules(QStringLiteral("tolvik.probe.debug=true"));
        QVERIFY(ResponsivenessProbe(doc).running());
        QLoggingCategory::setFilterRules(QString());
    }

    // Shown once the view has painted the new picture, not when the document changed.
    void aNewPictureIsLoggedWhenPainted() {
        QLoggingCategory::setFilterRules(QStringLiteral("tolvik.probe.debug=true"));
        const QtMessageHandler before = qInstallMessageHandler(record);
        imaging::PictureDocument doc;
        imaging::ImageView view(doc);
        view.resize(200, 150);
        const ResponsivenessProbe probe(doc);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_VERIFY(g_logged.contains(QStringLiteral("first paint")));
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::red);
        imaging::ImageModel model;
        model.setImage(img);
        doc.replace(model);
        view.display(imaging::ImageView::Fit);
        QVERIFY(!g_logged.contains(QStringLiteral("picture shown")));
        QTRY_COMPARE(g_logged.count(QStringLiteral("picture shown")), 1);
        qInstallMessageHandler(before);
        QLoggingCategory::setFilterRules(QString());
    }
};

QTEST_MAIN(TestProbe)
#include "tst_probe.moc"
