// Screen-capture and copy intake through the main window, with a headless desktop.
#include "app/TextCodec.h"
#include "capture/CopyIntake.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "windowfixture.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}
// A 4x4 pointer: one pure red pixel at its top-left corner, the rest transparent.
QImage pointerImage() {
    QImage p(4, 4, QImage::Format_ARGB32);
    p.fill(Qt::transparent);
    p.setPixel(0, 0, qRgb(255, 0, 0));
    return p;
}
QList<QPoint> redPixels(const QImage& img) {
    QList<QPoint> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == qRgb(255, 0, 0))
                out << QPoint(x, y);
    return out;
}
QImage loadStored(const QString& path) {
    QImage img(path);
    return img.convertToFormat(QImage::Format_RGB32);
}

struct Window : WindowFixture {
    Window() {
        desktop.screenSize = QSize(200, 100);
        desktop.pointer = {pointerImage(), QPoint(56, 38)};
    }
    void capture() {
        w->watcher().SetCaptureHook(1);
        desktop.lastWatch->inject(0);
    }
};
} // namespace

class TestIntake : public QObject {
    Q_OBJECT
private slots:
    void fullScreenCaptureGetsPointerAtScreenPosition() {
        Window win;
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.capture();
        QCOMPARE(win.files(), QStringList{"001.bmp"});
        const QImage stored = loadStored(win.temp("001.bmp"));
        QCOMPARE(redPixels(stored), QList<QPoint>{QPoint(50, 30)}); // position less (6, 8)
        QCOMPARE(win.w->currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.w->viewState(), 1);
        QCOMPARE(win.w->ikImg().resolutionX, 96);
        QCOMPARE(qRound(stored.dotsPerMeterX() * 0.0254), 96);
        QCOMPARE(win.desktop.lastWatch->lastTaken(),
                 platform::pictureKey(solid(200, 100, qRgb(0, 0, 255))));

        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 255, 0)));
        win.desktop.lastWatch->inject(65533);
        QCOMPARE(win.files(), (QStringList{"001.bmp", "002.bmp"}));
    }

    void windowCaptureGetsPointerRelativeToActiveWindow() {
        Window win;
        win.desktop.activeWindow = QRect(40, 20, 100, 60);
        QGuiApplication::clipboard()->setImage(solid(100, 60, qRgb(0, 0, 255)));
        win.capture();
        QCOMPARE(redPixels(loadStored(win.temp("001.bmp"))), QList<QPoint>{QPoint(10, 10)});
    }

    void pointerOffThePictureOrOffIsNoError() {
        Window win;
        win.desktop.pointer.pos = QPoint(5000, 5000);
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.capture();
        QVERIFY(redPixels(loadStored(win.temp("001.bmp"))).isEmpty());
        win.w->setMPnt(false);
        win.desktop.pointer.pos = QPoint(56, 38);
        win.desktop.lastWatch->inject(0);
        QVERIFY(redPixels(loadStored(win.temp("002.bmp"))).isEmpty());
    }

    void colourReduction() {
        Window win;
        win.w->setColourReduction(QStringLiteral("ｸﾞﾚｰ(8bit)"));
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.capture();
        QCOMPARE(win.w->ikImg().depthCode(), 80);
        QVERIFY(QImage(win.temp("001.bmp")).isGrayscale());
        win.w->setColourReduction(QStringLiteral("減色しない"));
        win.desktop.lastWatch->inject(0);
        QCOMPARE(QImage(win.temp("002.bmp")).depth(), 32);
    }

    void captureWithoutPictureStoresNothing() {
        Window win;
        QGuiApplication::clipboard()->setText(QStringLiteral("only text"));
        win.capture();
        QVERIFY(win.files().isEmpty());
        QCOMPARE(win.w->viewState(), 1);
        QVERIFY(win.messages.notices.isEmpty());
    }

    void failedSaveIsToldAndDoesNotBlock() {
        Window win;
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.w->watcher().SetCaptureHook(1);
        // A file where the work folder should be makes every store fail.
        QDir(win.data.path()).rename("Temp", "Temp.away");
        QFile blocker(win.data.path() + "/Temp");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        win.desktop.lastWatch->inject(0);
        QCOMPARE(win.messages.notices.size(), 1);
        QVERIFY(win.messages.asked.isEmpty()); // nothing waits for the user
        QVERIFY(win.w->currentFile().isEmpty());
        QFile::remove(win.data.path() + "/Temp");
        QDir(win.data.path()).rename("Temp.away", "Temp");
        win.desktop.lastWatch->inject(0);
        QCOMPARE(win.files(), QStringList{"001.bmp"}); // the failed one spent no number
    }

    void copyIntakeBranches() {
        Window win;
        win.w->workFolder().setNextNumber(12);
        win.w->watcher().SetCaptureHook(1);
        const QString text = QStringLiteral("日本語のﾃｷｽﾄ\r\nline 2 〜 end");
        QGuiApplication::clipboard()->setText(text);
        win.desktop.lastWatch->inject(1);
        QCOMPARE(win.files(), QStringList{"012.txt"});
        QFile f(win.temp("012.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(textcodec::decodeTextFile(f.readAll()), text);
        QCOMPARE(win.w->viewState(), -1);
        QVERIFY(win.w->textShown());

        auto* mime = new QMimeData;
        mime->setHtml(QStringLiteral("<b>bold</b> 😀"));
        mime->setText(QStringLiteral("bold 😀"));
        QGuiApplication::clipboard()->setMimeData(mime);
        win.desktop.lastWatch->inject(1);
        QFile g(win.temp("013.txt"));
        QVERIFY(g.open(QIODevice::ReadOnly));
        const QByteArray bytes = g.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF")); // emoji does not fit code page 932
        QCOMPARE(textcodec::decodeTextFile(bytes), QStringLiteral("bold 😀"));

        QGuiApplication::clipboard()->setImage(solid(30, 20, qRgb(9, 8, 7)));
        win.desktop.lastWatch->inject(1);
        QCOMPARE(loadStored(win.temp("014.bmp")), solid(30, 20, qRgb(9, 8, 7))); // no pointer
        QCOMPARE(win.w->viewState(), 1);
        QCOMPARE(win.w->workFolder().nextNumber(), 15);

        win.w->setCpyE(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("ignored"));
        win.desktop.lastWatch->inject(1);
        QCOMPARE(win.files().size(), 3);
    }

    void failedCopyKeepsNumberAndCurrentFile() {
        Window win;
        win.w->watcher().SetCaptureHook(1);
        win.w->workFolder().setNextNumber(4);
        win.w->setCurrentFile(win.temp("003.bmp"));
        QDir(win.data.path()).rename("Temp", "Temp.away");
        QFile blocker(win.data.path() + "/Temp");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QGuiApplication::clipboard()->setText(QStringLiteral("lost?"));
        win.desktop.lastWatch->inject(1);
        QGuiApplication::clipboard()->setImage(solid(4, 4, qRgb(1, 1, 1)));
        win.desktop.lastWatch->inject(1);
        QCOMPARE(win.messages.notices.size(), 2);
        QVERIFY(win.messages.asked.isEmpty());
        QCOMPARE(win.w->workFolder().nextNumber(), 4);
        QCOMPARE(win.w->currentFile(), win.temp("003.bmp"));
        QFile::remove(win.data.path() + "/Temp");
        QDir(win.data.path()).rename("Temp.away", "Temp");
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        win.desktop.lastWatch->inject(1);
        QCOMPARE(win.files(), QStringList{"004.txt"});
    }

    void textEncodingChoice() {
        QCOMPARE(encodeTextFile(QStringLiteral("ｱｲｳ abc")), QByteArray("\xB1\xB2\xB3 abc"));
        QVERIFY(encodeTextFile(QStringLiteral("한국어")).startsWith("\xEF\xBB\xBF"));
    }
};

QTEST_MAIN(TestIntake)
#include "tst_intake.moc"
