// A screen scaled by two: what the program tells in pixels is in device pixels.
#include "sizes/SizeList.h"

#include <QApplication>
#include <QScreen>
#include <QtTest>

class TestScaledScreen : public QObject {
    Q_OBJECT
private slots:
    void screenPresetIsInDevicePixels() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        QCOMPARE(screen->devicePixelRatio(), 2.0);
        const QSize logical = screen->availableGeometry().size();
        int width = 0;
        int height = 0;
        sizes::ScrnSz(width, height);
        QCOMPARE(QSize(width, height), logical * 2);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2"); // before the application reads it
    QApplication app(argc, argv);
    TestScaledScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaledscreen.moc"
