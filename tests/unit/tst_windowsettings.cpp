// The main window's settings in User.xml: defaults, geometry, options, the written layout,
// and the window that applies and collects them.
#include "commands/PopupMenus.h"
#include "core/TextCodec.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "settings/WindowSettings.h"
#include "settings/yIni.h"
#include "testsupport.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
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

// A primary screen of 1000 x 800 pixels with a second one to its right; the window is
// designed 760 x 520 and can be no smaller than 600 x 300.
const WindowRoom kRoom{
    {QRect(0, 0, 1000, 800), QRect(1000, 0, 800, 600)}, QSize(760, 520), QSize(600, 300)};
// The designed window centred on the primary screen, in twips.
const QRect kCentred(1800, 2100, 11400, 7800);

struct Settings {
    QTemporaryDir data;
    RecordingMessages messages;
    yIni ini{&messages};
    QString file() const { return data.path() + "/User.xml"; }
    void write(const QByteArray& bytes) {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray written() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    WindowSettingsValue load() { return LoadWindowSettings(ini, file(), kRoom); }
};
} // namespace

class TestWindowSettings : public QObject {
    Q_OBJECT
private slots:
    void firstRunDefaults() {
        Settings s;
        const WindowSettingsValue v = s.load();
        QCOMPARE(v.geometry, kCentred);
        QVERIFY(!v.scaleDisplay); // a missing value is 0, which is off
        QVERIFY(v.capture == CaptureOptions{});
        QVERIFY(v.rangeList.isEmpty());
        QVERIFY(QFile::exists(s.file())); // created empty at start
        QVERIFY(s.messages.asked.isEmpty());
    }

    void readsEveryValue() {
        Settings s;
        s.write(userXml(key("Left", "1500") + key("Top", "750") + key("Width", "10500") +
                            key("Height", "6000"),
                        key("ｽｹｰﾙ表示", "1") + key("QN_RNG", "VGA,640,480,pixel:A4,21,29.7,cm") +
                            key("減色", "ｸﾞﾚｰ(8bit)") + key("ﾏｳｽﾎﾟｲﾝﾀ", "取込まない") +
                            key("ｺﾋﾟｰｲﾍﾞﾝﾄ", "取込まない")));
        const WindowSettingsValue v = s.load();
        QCOMPARE(v.geometry, QRect(1500, 750, 10500, 6000));
        QVERIFY(v.scaleDisplay);
        QCOMPARE(v.rangeList, QStringLiteral("VGA,640,480,pixel:A4,21,29.7,cm"));
        QVERIFY(v.capture == (CaptureOptions{false, false, 80}));
    }

    void oddValues_data() {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("pointer");
        QTest::addColumn<bool>("scaleOn");
        QTest::addColumn<bool>("mpnt");
        QTest::newRow("3 and other text") << "3"
                                          << "はい" << false << false;
        QTest::newRow("0 and empty") << "0"
                                     << "" << false << true;
        QTest::newRow("7 and exact") << "7"
                                     << "取込" << false << true;
        QTest::newRow("1.4 rounds to 1") << "1.4"
                                         << "取込まない" << true << false;
    }
    void oddValues() {
        QFETCH(QString, scale);
        QFETCH(QString, pointer);
        QFETCH(bool, scaleOn);
        QFETCH(bool, mpnt);
        Settings s;
        s.write(userXml(QString(), key("ｽｹｰﾙ表示", scale) + key("ﾏｳｽﾎﾟｲﾝﾀ", pointer)));
        const WindowSettingsValue v = s.load();
        QCOMPARE(v.scaleDisplay, scaleOn);
        QCOMPARE(v.capture.drawPointer, mpnt);
        QVERIFY(v.capture.takeCopies);
        QCOMPARE(v.capture.reductionCode, 0);
    }

    void geometryRules_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QRect>("geometry");
        auto form = [](const char* l, const char* t, const char* w, const char* h) {
            return key("Left", l) + key("Top", t) + key("Width", w) + key("Height", h);
        };
        QTest::newRow("zero width") << form("1500", "750", "0", "6000") << kCentred;
        QTest::newRow("beyond 32 bits")
            << form("1e30", "-1e30", "9000", "6000") << QRect(3000, 3000, 9000, 6000);
        QTest::newRow("off every screen")
            << form("9000000", "9000000", "9000", "6000") << QRect(3000, 3000, 9000, 6000);
        QTest::newRow("off and too small")
            << form("-90000", "0", "1500", "1500") << QRect(3000, 3750, 9000, 4500);
        QTest::newRow("on the second screen")
            << form("16500", "1500", "9000", "6000") << QRect(16500, 1500, 9000, 6000);
        QTest::newRow("larger than a window can be")
            << form("0", "0", "1e30", "6000") << QRect(0, 0, ((1 << 24) - 1) * 15, 6000);
    }
    void geometryRules() {
        QFETCH(QString, form);
        QFETCH(QRect, geometry);
        Settings s;
        s.write(userXml(form, QString()));
        QCOMPARE(s.load().geometry, geometry);
    }

    void unreadableFileGivesDesignedValues() {
        Settings s;
        QDir().mkpath(s.file()); // a folder where the file should be
        WindowSettingsValue designed;
        designed.geometry = kCentred;
        QVERIFY(s.load() == designed); // scale display on, options as designed
    }

    void writesBothGroupsInOrder() {
        Settings s;
        s.load();
        const WindowSettingsValue v{QRect(450, 675, 10500, 6300),
                                    false,
                                    QStringLiteral("a,1,2,pixel"),
                                    {.takeCopies = false}};
        QVERIFY(WriteWindowSettings(v, s.ini));
        const QString expected =
            QStringLiteral(
                "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n   <ﾌｫｰﾑ>\r\n") +
            key("Left", "450") + key("Top", "675") + key("Width", "10500") + key("Height", "6300") +
            QStringLiteral("   </ﾌｫｰﾑ>\r\n   <ﾕｰｻﾞｰ>\r\n") + key("ｽｹｰﾙ表示", "3") +
            key("QN_RNG", "a,1,2,pixel") + key("減色", "減色しない") + key("ﾏｳｽﾎﾟｲﾝﾀ", "取込") +
            key("ｺﾋﾟｰｲﾍﾞﾝﾄ", "取込まない") + QStringLiteral("   </ﾕｰｻﾞｰ>\r\n</運用>");
        QCOMPARE(textcodec::fromCp932(s.written()), expected);
        QCOMPARE(s.written(), textcodec::toCp932(expected)); // code page 932, byte for byte

        Settings again; // read back: everything returns
        again.write(s.written());
        QVERIFY(again.load() == v);
    }

    void otherGroupsSurvive() {
        Settings s;
        s.write(userXml(QString(), key("ｽｹｰﾙ表示", "1"))
                    .replace(textcodec::toCp932(QStringLiteral("</運用>")),
                             textcodec::toCp932(QStringLiteral(
                                 "   <他>\r\n      <x>1</x>\r\n   </他>\r\n</運用>"))));
        QVERIFY(WriteWindowSettings(s.load(), s.ini));
        const QString doc = textcodec::fromCp932(s.written());
        QVERIFY(doc.contains(QStringLiteral("   <他>\r\n      <x>1</x>\r\n   </他>\r\n")));
        QVERIFY(doc.indexOf(QStringLiteral("<ﾕｰｻﾞｰ>")) < doc.indexOf(QStringLiteral("<ﾌｫｰﾑ>")));
    }

    void windowAppliesAndCollects() {
        Settings s;
        s.write(userXml(key("Left", "1500") + key("Top", "750") + key("Width", "10500") +
                            key("Height", "6000"),
                        key("ｽｹｰﾙ表示", "1") + key("QN_RNG", "VGA,640,480,pixel:bad") +
                            key("減色", "ｸﾞﾚｰ(8bit)") + key("ﾏｳｽﾎﾟｲﾝﾀ", "取込まない")));
        QDir().mkpath(s.data.path() + "/Temp");
        platform::NullDesktop desktop;
        fmMain w(desktop, s.messages, s.data.path() + "/");
        w.setSettings(&s.ini, s.file());
        w.Form_Load();
        QCOMPARE(w.pos(), QPoint(100, 50));
        QCOMPARE(w.size(), QSize(700, 400));
        QCOMPARE(w.workspace().session.displayMode(), 1);
        QVERIFY(w.findChild<TopBand*>()->scaleDisplay->isChecked());
        QVERIFY(w.menus().pointerItems[1]->isChecked());
        QVERIFY(w.menus().copyItems[0]->isChecked());
        QVERIFY(w.menus().reductionItems[4]->isChecked()); // "ｸﾞﾚｰ(8bit)"
        const WindowSettingsValue expected{QRect(1500, 750, 10500, 6000),
                                           true,
                                           QStringLiteral("VGA,640,480,pixel"),
                                           {false, true, 80}};
        QVERIFY(w.collectSettings() == expected); // the invalid range entry is dropped

        // Anything but on is the display mode 3.
        WindowSettingsValue off = expected;
        off.scaleDisplay = false;
        w.applySettings(off);
        QCOMPARE(w.workspace().session.displayMode(), 3);
        QVERIFY(!w.findChild<TopBand*>()->scaleDisplay->isChecked());

        // A maximised window is remembered where it will be restored to.
        w.show();
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        QTRY_VERIFY(w.size() != QSize(700, 400));
        QVERIFY(w.collectSettings() == off);
    }
};

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
