// The main window's settings in User.xml: defaults, geometry, options, the written layout.
#include "app/TextCodec.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "settings/WindowSettings.h"
#include "settings/yIni.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray userXml(const QString& formBody, const QString& userBody) {
    QString doc = QStringLiteral("<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n");
    if (!formBody.isNull())
        doc += QStringLiteral("   <ﾌｫｰﾑ>\r\n") + formBody + QStringLiteral("   </ﾌｫｰﾑ>\r\n");
    if (!userBody.isNull())
        doc += QStringLiteral("   <ﾕｰｻﾞｰ>\r\n") + userBody + QStringLiteral("   </ﾕｰｻﾞｰ>\r\n");
    doc += QStringLiteral("</運用>");
    return textcodec::toCp932(doc);
}
QString key(const QString& k, const QString& v) {
    return QStringLiteral("      <%1>%2</%1>\r\n").arg(k, v);
}

struct Window {
    QTemporaryDir data;
    platform::NullDesktop desktop;
    RecordingMessages messages;
    yIni ini{&messages};
    std::unique_ptr<fmMain> w;
    QString file() const { return data.path() + "/User.xml"; }
    void write(const QByteArray& bytes) {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void load() {
        QDir().mkpath(data.path() + "/Temp");
        w = std::make_unique<fmMain>(desktop, messages, data.path() + "/");
        w->setSettings(&ini, file());
        w->Form_Load();
    }
    QCheckBox& scale() { return *w->topBand().chDsp[0]; }
};
} // namespace

class TestWindowSettings : public QObject {
    Q_OBJECT
private slots:
    void firstRunDefaults() {
        Window win;
        win.load();
        QCOMPARE(win.w->displayMode(), 3); // a missing value is 0, which ends as 3
        QVERIFY(!win.scale().isChecked());
        QVERIFY(win.w->bMPnt());
        QVERIFY(win.w->bCpyE());
        QCOMPARE(win.w->colourReduction(), QStringLiteral("減色しない"));
        QVERIFY(win.w->rangeList().isEmpty());
        const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(win.w->pos().x(), a.x() + (a.width() - win.w->width()) / 2); // centred
        QVERIFY(QFile::exists(win.file())); // created empty at start
        QVERIFY(win.messages.asked.isEmpty());
    }

    void readsEveryValue() {
        Window win;
        win.write(userXml(key("Left", "1500") + key("Top", "750") + key("Width", "10500") +
                              key("Height", "6000"),
                          key("ｽｹｰﾙ表示", "1") + key("QN_RNG", "VGA,640,480,pixel:A4,21,29.7,cm") +
                              key("減色", "ｸﾞﾚｰ(8bit)") + key("ﾏｳｽﾎﾟｲﾝﾀ", "取込まない") +
                              key("ｺﾋﾟｰｲﾍﾞﾝﾄ", "取込まない")));
        win.load();
        QCOMPARE(win.w->pos(), QPoint(100, 50));
        QCOMPARE(win.w->size(), QSize(700, 400));
        QCOMPARE(win.w->displayMode(), 1);
        QVERIFY(win.scale().isChecked());
        QCOMPARE(win.w->rangeList(), QStringLiteral("VGA,640,480,pixel:A4,21,29.7,cm"));
        QCOMPARE(win.w->colourReduction(), QStringLiteral("ｸﾞﾚｰ(8bit)"));
        QVERIFY(!win.w->bMPnt());
        QVERIFY(!win.w->bCpyE());
    }

    void oddValues_data() {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("pointer");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("mpnt");
        QTest::newRow("3 and other text") << "3"
                                          << "はい" << 3 << false;
        QTest::newRow("0 and empty") << "0"
                                     << "" << 3 << true;
        QTest::newRow("7 and exact") << "7"
                                     << "取込" << 3 << true;
        QTest::newRow("1.4 rounds to 1") << "1.4"
                                         << "取込まない" << 1 << false;
    }
    void oddValues() {
        QFETCH(QString, scale);
        QFETCH(QString, pointer);
        QFETCH(int, mode);
        QFETCH(bool, mpnt);
        Window win;
        win.write(userXml(QString(), key("ｽｹｰﾙ表示", scale) + key("ﾏｳｽﾎﾟｲﾝﾀ", pointer)));
        win.load();
        QCOMPARE(win.w->displayMode(), mode);
        QCOMPARE(win.scale().isChecked(), mode == 1);
        QCOMPARE(win.w->bMPnt(), mpnt);
    }

    void badGeometryCentres_data() {
        QTest::addColumn<QString>("form");
        QTest::newRow("zero width")
            << key("Left", "1500") + key("Top", "750") + key("Width", "0") + key("Height", "6000");
        QTest::newRow("beyond 32 bits") << key("Left", "1e30") + key("Top", "-1e30") +
                                               key("Width", "9000") + key("Height", "6000");
        QTest::newRow("off every screen") << key("Left", "9000000") + key("Top", "9000000") +
                                                 key("Width", "9000") + key("Height", "6000");
    }
    void badGeometryCentres() {
        QFETCH(QString, form);
        Window win;
        win.write(userXml(form, QString()));
        win.load();
        const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(a.intersects(QRect(win.w->pos(), win.w->size())));
    }

    void unreadableFileKeepsOptions() {
        Window win;
        QDir().mkpath(win.file()); // a folder where the file should be
        win.load();
        QCOMPARE(win.w->displayMode(), 1);
        QVERIFY(win.scale().isChecked());
        QVERIFY(win.w->bMPnt());
    }

    void writesBothGroupsInOrder() {
        Window win;
        win.load();
        win.w->resize(700, 420);
        win.w->move(30, 45);
        win.w->setRangeList(QStringLiteral("a,1,2,pixel"));
        win.w->setCpyE(false);
        QVERIFY(WriteWindowSettings(*win.w, win.ini));
        QFile f(win.file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QString expected =
            QStringLiteral(
                "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n   <ﾌｫｰﾑ>\r\n") +
            key("Left", "450") + key("Top", "675") + key("Width", "10500") + key("Height", "6300") +
            QStringLiteral("   </ﾌｫｰﾑ>\r\n   <ﾕｰｻﾞｰ>\r\n") + key("ｽｹｰﾙ表示", "3") +
            key("QN_RNG", "a,1,2,pixel") + key("減色", "減色しない") + key("ﾏｳｽﾎﾟｲﾝﾀ", "取込") +
            key("ｺﾋﾟｰｲﾍﾞﾝﾄ", "取込まない") + QStringLiteral("   </ﾕｰｻﾞｰ>\r\n</運用>");
        QCOMPARE(textcodec::fromCp932(bytes), expected);
        QCOMPARE(bytes, textcodec::toCp932(expected)); // code page 932, byte for byte

        // Read back by a new window: everything returns.
        Window again;
        QFile::copy(win.file(), again.file());
        again.load();
        QCOMPARE(again.w->pos(), QPoint(30, 45));
        QCOMPARE(again.w->size(), QSize(700, 420));
        QVERIFY(!again.w->bCpyE());
        QCOMPARE(again.w->rangeList(), QStringLiteral("a,1,2,pixel"));
    }

    void otherGroupsSurvive() {
        Window win;
        win.write(userXml(QString(), key("ｽｹｰﾙ表示", "1"))
                      .replace(textcodec::toCp932(QStringLiteral("</運用>")),
                               textcodec::toCp932(QStringLiteral(
                                   "   <他>\r\n      <x>1</x>\r\n   </他>\r\n</運用>"))));
        win.load();
        QVERIFY(WriteWindowSettings(*win.w, win.ini));
        QFile f(win.file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString doc = textcodec::fromCp932(f.readAll());
        QVERIFY(doc.contains(QStringLiteral("   <他>\r\n      <x>1</x>\r\n   </他>\r\n")));
        QVERIFY(doc.indexOf(QStringLiteral("<ﾕｰｻﾞｰ>")) < doc.indexOf(QStringLiteral("<ﾌｫｰﾑ>")));
    }
};

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
