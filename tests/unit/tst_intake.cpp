// Screen-capture and copy intake through the main window, with a headless desktop.
#include "capture/CopyIntake.h"
#include "commands/PopupMenus.h"
#include "core/TextCodec.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtEndian>
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
int bitsInFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? qFromLittleEndian<quint16>(f.readAll().constData() + 28)
                                       : -1;
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
        ws().folder.watcher().setWatching(true);
        offer(0);
    }
    // An offer announced and everything queued stored.
    void offer(qint32 value) {
        desktop.lastWatch->inject(value);
        finishIntakes();
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
        QCOMPARE(win.session().currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
        QCOMPARE(win.session().picture().resolutionX, 96);
        QCOMPARE(qRound(stored.dotsPerMeterX() * 0.0254), 96);

        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 255, 0)));
        win.offer(65533);
        QCOMPARE(win.files(), (QStringList{"001.bmp", "002.bmp"}));

        // With a hotspot the pointer's tip lands on the pointer position.
        win.desktop.pointer.hasHotspot = true;
        win.desktop.pointer.hotspot = QPoint(2, 1);
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 0)));
        win.offer(0);
        QCOMPARE(redPixels(loadStored(win.temp("003.bmp"))), QList<QPoint>{QPoint(54, 37)});
    }

    // Every announcement is one file however alike the pictures: the same screen captured
    // twice, a capture equal to the copy before it, the same text copied twice. Only one
    // announcement read twice is one file.
    void eachAnnouncementIsOneFile() {
        Window win;
        win.ws().folder.watcher().setWatching(true);
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.offer(1);
        win.offer(0);
        win.desktop.pointer.pos = QPoint(90, 60);
        win.offer(0);
        QCOMPARE(win.files(), (QStringList{"001.bmp", "002.bmp", "003.bmp"}));
        QCOMPARE(redPixels(loadStored(win.temp("003.bmp"))), QList<QPoint>{QPoint(84, 52)});

        platform::ClipboardSnapshot shot = platform::snapshotOfClipboard(0);
        shot.announcement = {7, 500, 1};
        win.desktop.lastWatch->inject(shot);
        win.desktop.lastWatch->inject(shot);
        win.finishIntakes();
        QCOMPARE(win.files().size(), 4);
        shot.announcement.owner = 8; // another owner at the same time
        win.desktop.lastWatch->inject(shot);
        shot.announcement.serial = 2; // the same owner and time, told again
        win.desktop.lastWatch->inject(shot);
        win.finishIntakes();
        QCOMPARE(win.files().size(), 6);

        QGuiApplication::clipboard()->setText(QStringLiteral("twice"));
        win.offer(1);
        platform::ClipboardSnapshot text = platform::snapshotOfClipboard(1);
        text.announcement = {9, 600, 3};
        win.desktop.lastWatch->inject(text);
        win.desktop.lastWatch->inject(text);
        win.finishIntakes();
        QCOMPARE(win.files().filter(QStringLiteral(".txt")), (QStringList{"007.txt", "008.txt"}));
        QVERIFY(win.messages.notices.isEmpty());
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
        win.ws().folder.setCaptureOptions({.drawPointer = false});
        win.desktop.pointer.pos = QPoint(56, 38);
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 200)));
        win.offer(0);
        QVERIFY(redPixels(loadStored(win.temp("002.bmp"))).isEmpty());
        // A desktop without pointer images draws none, whatever the option says.
        win.ws().folder.setCaptureOptions({.drawPointer = true});
        win.desktop.caps.pointerImage = false;
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 190)));
        win.offer(0);
        QVERIFY(redPixels(loadStored(win.temp("003.bmp"))).isEmpty());
        // Said once, not with every capture.
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 180)));
        win.offer(0);
        QVERIFY(QFileInfo::exists(win.temp("004.bmp")));
        QCOMPARE(win.messages.notices.filter(QStringLiteral("ﾏｳｽﾎﾟｲﾝﾀを描き込めません")).size(), 1);
    }

    void colourReduction() {
        Window win;
        win.ws().folder.setCaptureOptions({true, true, 80});
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.capture();
        QCOMPARE(win.session().picture().depthCode(), 80);
        QVERIFY(win.w->menus().depthItems[3]->isChecked()); // "ｸﾞﾚｰ(8bit)"
        QVERIFY(QImage(win.temp("001.bmp")).isGrayscale());
        win.ws().folder.setCaptureOptions({true, true, 0});
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 254)));
        win.offer(0);
        // A screen has no alpha: 24 bits.
        QCOMPARE(bitsInFile(win.temp("002.bmp")), 24);
        QCOMPARE(win.session().picture().depthCode(), 24);
        QVERIFY(!win.w->menus().depthItems[3]->isChecked());
        QVERIFY(win.w->menus().depthItems[5]->isChecked()); // "24bit"
    }

    // A PNG in the form screenshot tools offer goes to the file straight from its rows; the
    // file is the one the same picture makes decoded, pointer and padding alike, and the
    // window shows the same picture.
    void pngOfferIsStoredAsTheDecodedPicture() {
        Window win;
        win.ws().folder.watcher().setWatching(true);
        // Rows of 2997 bytes: padded, and written in blocks of 349 rows, the pointer across
        // the first boundary. Green is never 0: the pointer's red is the only pure red.
        QImage picture(999, 800, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x * 7, (y * 11) | 1, (x * y) & 255));
        for (bool asPng : {true, false}) {
            platform::ClipboardSnapshot shot;
            shot.announcement = {asPng ? 20u : 21u, 700, asPng ? 1u : 2u};
            shot.pointer = {pointerImage(), QPoint(8, 355)};
            if (asPng) {
                QBuffer buf(&shot.pictureBytes);
                buf.open(QIODevice::WriteOnly);
                QVERIFY(picture.save(&buf, "PNG"));
                shot.pictureFormat = "image/png";
            } else {
                shot.picture = picture;
            }
            win.desktop.lastWatch->inject(shot);
            win.finishIntakes();
        }
        QCOMPARE(win.files(), (QStringList{"001.bmp", "002.bmp"}));
        QFile direct(win.temp("001.bmp")), decoded(win.temp("002.bmp"));
        QVERIFY(direct.open(QIODevice::ReadOnly) && decoded.open(QIODevice::ReadOnly));
        const QByteArray bytes = direct.readAll();
        QCOMPARE(bytes, decoded.readAll());
        QCOMPARE(bitsInFile(win.temp("001.bmp")), 24);
        QCOMPARE(redPixels(loadStored(win.temp("001.bmp"))), QList<QPoint>{QPoint(2, 347)});
        QCOMPARE(win.session().picture().depthCode(), 24);
        QCOMPARE(win.picture().image(), loadStored(win.temp("002.bmp")));
    }

    void captureWithoutPictureStoresNothing() {
        Window win;
        QGuiApplication::clipboard()->setText(QStringLiteral("only text"));
        win.capture();
        QVERIFY(win.files().isEmpty());
        QCOMPARE(win.session().viewState(), ViewState::Empty); // nothing came to show
        QVERIFY(win.messages.notices.isEmpty());
    }

    void failedSaveIsToldAndDoesNotBlock() {
        Window win;
        QGuiApplication::clipboard()->setImage(solid(200, 100, qRgb(0, 0, 255)));
        win.ws().folder.watcher().setWatching(true);
        // A file where the work folder should be makes every store fail.
        QDir(win.data.path()).rename("Temp", "Temp.away");
        QFile blocker(win.data.path() + "/Temp");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        win.offer(0);
        QCOMPARE(win.messages.notices.size(), 1);
        QVERIFY(win.messages.asked.isEmpty()); // nothing waits for the user
        QVERIFY(win.session().currentFile().isEmpty());
        QFile::remove(win.data.path() + "/Temp");
        QDir(win.data.path()).rename("Temp.away", "Temp");
        win.offer(0);
        QCOMPARE(win.files(), QStringList{"001.bmp"}); // the failed one spent no number
    }

    void copyIntakeBranches() {
        Window win;
        win.ws().folder.folder().setNextNumber(12);
        win.ws().folder.watcher().setWatching(true);
        const QString text = QStringLiteral("日本語のﾃｷｽﾄ\r\nline 2 〜 end");
        QGuiApplication::clipboard()->setText(text);
        win.offer(1);
        QCOMPARE(win.files(), QStringList{"012.txt"});
        QFile f(win.temp("012.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(textcodec::decodeTextFile(f.readAll()), text);
        QCOMPARE(win.session().viewState(), ViewState::Text);
        QVERIFY(win.session().textShown());

        auto* mime = new QMimeData;
        mime->setHtml(QStringLiteral("<b>bold</b> 😀"));
        mime->setText(QStringLiteral("bold 😀"));
        QGuiApplication::clipboard()->setMimeData(mime);
        win.offer(1);
        QFile g(win.temp("013.txt"));
        QVERIFY(g.open(QIODevice::ReadOnly));
        const QByteArray bytes = g.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF")); // emoji does not fit code page 932
        QCOMPARE(textcodec::decodeTextFile(bytes), QStringLiteral("bold 😀"));

        QGuiApplication::clipboard()->setImage(solid(30, 20, qRgb(9, 8, 7)));
        win.offer(1);
        QCOMPARE(loadStored(win.temp("014.bmp")), solid(30, 20, qRgb(9, 8, 7))); // no pointer
        QCOMPARE(win.session().viewState(), ViewState::Stored);
        QCOMPARE(win.ws().folder.folder().nextNumber(), 15);

        win.ws().folder.setCaptureOptions({.takeCopies = false});
        QGuiApplication::clipboard()->setText(QStringLiteral("ignored"));
        win.offer(1);
        QCOMPARE(win.files().size(), 3);
    }

    void failedCopyKeepsNumberAndCurrentFile() {
        Window win;
        win.ws().folder.watcher().setWatching(true);
        win.ws().folder.folder().setNextNumber(4);
        win.session().setCurrentFile(win.temp("003.bmp"));
        QDir(win.data.path()).rename("Temp", "Temp.away");
        QFile blocker(win.data.path() + "/Temp");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QGuiApplication::clipboard()->setText(QStringLiteral("lost?"));
        win.offer(1);
        QGuiApplication::clipboard()->setImage(solid(4, 4, qRgb(1, 1, 1)));
        win.offer(1);
        QCOMPARE(win.messages.notices.size(), 2);
        QVERIFY(win.messages.asked.isEmpty());
        QCOMPARE(win.ws().folder.folder().nextNumber(), 4);
        QCOMPARE(win.session().currentFile(), win.temp("003.bmp"));
        QFile::remove(win.data.path() + "/Temp");
        QDir(win.data.path()).rename("Temp.away", "Temp");
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        win.offer(1);
        QCOMPARE(win.files(), QStringList{"004.txt"});
    }

    // Each offer is stored as it was when announced, in order, however fast they come and
    // whatever the clipboard holds by the time it is written.
    void offersAreStoredAsAnnouncedInOrder() {
        Window win;
        win.ws().folder.setCaptureOptions({.drawPointer = false});
        win.ws().folder.watcher().setWatching(true);
        for (int i = 0; i < 12; ++i) {
            QGuiApplication::clipboard()->setImage(solid(60, 40, qRgb(i * 20, 0, 0)));
            win.desktop.lastWatch->inject(0);
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("later"));
        win.desktop.lastWatch->inject(1);
        QGuiApplication::clipboard()->setImage(solid(60, 40, qRgb(1, 2, 3)));
        win.finishIntakes();
        QCOMPARE(win.files().size(), 13);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(loadStored(win.temp(QStringLiteral("%1.bmp").arg(i + 1, 3, 10, QChar(u'0')))),
                     solid(60, 40, qRgb(i * 20, 0, 0)));
        QFile t(win.temp("013.txt"));
        QVERIFY(t.open(QIODevice::ReadOnly));
        QCOMPARE(t.readAll(), QByteArray("later"));
    }

    void lostOffersAreCountedAndTold() {
        Window win;
        win.ws().folder.watcher().setWatching(true);
        platform::ClipboardSnapshot lost;
        lost.lost = true;
        lost.lostReason = QStringLiteral("応答がありません");
        win.desktop.lastWatch->inject(lost);
        win.desktop.lastWatch->inject(lost);
        win.finishIntakes();
        QVERIFY(win.files().isEmpty());
        QCOMPARE(win.messages.notices.size(), 2);
        QVERIFY(win.messages.notices[1].contains(QStringLiteral("2 件")));
        QVERIFY(win.messages.notices[1].contains(lost.lostReason));
        // Bytes that do not decode are told the same way, and spend no number.
        platform::ClipboardSnapshot broken;
        broken.pictureFormat = "image/png";
        broken.pictureBytes = "not a png";
        win.desktop.lastWatch->inject(broken);
        win.finishIntakes();
        QCOMPARE(win.messages.notices.size(), 3);
        QVERIFY(win.files().isEmpty());
    }

    void copiedPictureIsShownAfterErase() {
        Window win;
        win.ws().folder.watcher().setWatching(true);
        win.ws().edits.erase();
        QGuiApplication::clipboard()->setImage(solid(30, 20, qRgb(9, 8, 7)));
        win.offer(1);
        QCOMPARE(win.view().displayMode(), win.session().displayMode());
        QVERIFY(!win.view().imageRectInViewport().isEmpty());
        QCOMPARE(win.session().picture().image().pixel(0, 0), qRgb(9, 8, 7));
    }

    void textEncodingChoice() {
        QCOMPARE(encodeTextFile(QStringLiteral("ｱｲｳ abc")), QByteArray("\xB1\xB2\xB3 abc"));
        QVERIFY(encodeTextFile(QStringLiteral("한국어")).startsWith("\xEF\xBB\xBF"));
    }
};

QTEST_MAIN(TestIntake)
#include "tst_intake.moc"
