// The picture's clipboard and zoom commands of the main window.
#include "imaging/ImageView.h"
#include "mainwindow/TopBand.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

namespace {
QImage numbered(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x & 255, y & 255, (x * y) & 255));
    return img;
}
} // namespace

class TestPictureClipboard : public QObject {
    Q_OBJECT
private slots:
    // With a range only that rectangle goes out, at 96 dpi; the view keeps picture and range.
    void copyRangeOrWhole() {
        WindowFixture f;
        imaging::ImageModel m;
        m.setImage(numbered(200, 100));
        m.resolutionX = m.resolutionY = 72;
        m.applyResolution();
        f.picture().replace(m);
        f.picture().setRange({10, 10, 110, 60});
        f.ws().edits.copyPicture(false);
        const QImage got = QGuiApplication::clipboard()->image();
        QCOMPARE(got.size(), QSize(101, 51)); // both edges belong to the range
        QCOMPARE(got.convertToFormat(QImage::Format_RGB32),
                 numbered(200, 100).copy(QRect(10, 10, 101, 51)));
        QCOMPARE(qRound(got.dotsPerMeterX() * 0.0254), 96);
        QCOMPARE(f.picture().image().size(), QSize(200, 100));
        QCOMPARE(f.picture().range(), (imaging::Range{10, 10, 110, 60}));

        f.picture().clearRange();
        f.ws().edits.copyPicture(false);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(200, 100));
    }

    // A pasted picture: 96 dpi, stored state (not changed), no current file, new history.
    void paste() {
        WindowFixture f;
        f.session().setCurrentFile(f.temp("001.bmp"));
        QGuiApplication::clipboard()->setImage(numbered(30, 20));
        f.ws().edits.pastePicture();
        f.idle();
        QCOMPARE(f.picture().image().size(), QSize(30, 20));
        QCOMPARE(f.session().picture().resolutionX, 96);
        QCOMPARE(f.session().viewState(), ViewState::Stored);
        QVERIFY(f.session().currentFile().isEmpty());
        QCOMPARE(f.picture().history().count(), 0);

        QGuiApplication::clipboard()->setText(QStringLiteral("no picture"));
        f.ws().edits.pastePicture();
        f.idle();
        QCOMPARE(f.picture().image().size(), QSize(30, 20));
    }

    void zoom() {
        WindowFixture f;
        f.band().scaleDisplay->setChecked(true);
        f.session().setScaleDisplay(true);
        f.w->menus().zoomItems[6]->trigger(); // "150%"
        QCOMPARE(f.session().displayMode(), 3);
        QCOMPARE(f.session().zoom(), 1.5);
        QVERIFY(!f.band().scaleDisplay->isChecked());
    }
};

QTEST_MAIN(TestPictureClipboard)
#include "tst_pictureclipboard.moc"
