// Picture files: every save format at every depth code, opened again; the extension
// rules; a failed save leaving the old file as it was, a replaced one keeping its owner, mode
// and links; and the picture budget.
#include "capture/CaptureIntake.h"
#include "imaging/DepthCode.h"
#include "imaging/ImageModel.h"
#include "imaging/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace imaging;

namespace {

// Edges, flat areas and a gradient, in colour.
QImage pattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         x < w / 3   ? qRgb((x * 37) & 255, (y * 53) & 255, ((x ^ y) * 11) & 255)
                         : y < h / 2 ? qRgb(250, 240, 10)
                                     : qRgb(x * 255 / w, 128, y * 255 / h));
    return img;
}

// Largest and mean difference of a colour channel.
std::pair<int, double> difference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    double sum = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                worst = std::max(worst, std::abs(d));
                sum += std::abs(d);
            }
        }
    return {worst, sum / (3.0 * x.width() * x.height())};
}

// A 1 KB bitmap of 8-bit run-length rows whose one code ends the picture.
QByteArray rleBitmap(qint32 w, qint32 h) {
    QByteArray b(54 + 1024 + 2, 0);
    auto* p = reinterpret_cast<uchar*>(b.data());
    p[0] = 'B', p[1] = 'M', p[10] = 0x36, p[11] = 4, p[14] = 40, p[26] = 1, p[28] = 8, p[30] = 1;
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    p[b.size() - 1] = 1;
    return b;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPictureFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { raiseImageAllocationLimit(); }

    void roundTrip_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("code");
        for (const char* ext : {"bmp", "png", "pcx", "gif", "tif", "jpg", "jpeg", "jp2", "j2k"})
            for (int code : {1, 4, 40, 8, 80, 16, 24, 32})
                QTest::addRow("%s-%d", ext, code) << QString::fromLatin1(ext) << code;
    }
    // Each depth the format keeps opens again at that depth with the same pixels; other
    // depths are converted first, as the save reports.
    void roundTrip() {
        QFETCH(QString, ext);
        QFETCH(int, code);
        QTemporaryDir dir;
        const QImage src = convertToDepthCode(pattern(61, 37), code);
        const QString path = dir.filePath(QStringLiteral("p.") + ext);
        const SaveResult saved = savePicture(path, src, code);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.path, path);
        if (const PictureFormat* f = pictureFormatOfExt(ext.toUpper()))
            QVERIFY(f->depths.isEmpty() || f->depths.contains(saved.depthCode));
        QCOMPARE(convertToDepthCode(saved.picture, saved.depthCode).format(),
                 saved.picture.format());

        const LoadedPicture back = loadPicture(path);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(back.picture.size(), src.size());
        const bool lossy = ext.startsWith(u"jp") && ext != u"jp2";
        const bool tiff = ext.startsWith(u"tif");
        // TIFF through Qt stores 4-bit pictures with 8-bit indexes and 16-bit as 24.
        if (!tiff || (code != 4 && code != 40 && code != 16 && code != 32))
            QCOMPARE(back.depthCode, saved.depthCode);
        // Opened in the in-memory form of its depth code.
        QCOMPARE(convertToDepthCode(back.picture, back.depthCode).format(), back.picture.format());
        const auto [worst, mean] = difference(back.picture, saved.picture);
        if (lossy) {
            // The noisy third loses most; a flat area keeps its colour (channel order).
            QVERIFY2(mean < 16, qPrintable(QString::number(mean)));
            const QImage flatBack = back.picture.copy(40, 2, 8, 8);
            QVERIFY(difference(flatBack, saved.picture.copy(40, 2, 8, 8)).first < 12);
        } else
            QCOMPARE(worst, 0);
    }

    void conversionsBeforeSaving() {
        QTemporaryDir dir;
        const QImage colour = pattern(40, 30).convertToFormat(QImage::Format_RGB888);
        SaveResult gif = savePicture(dir.filePath(QStringLiteral("a.gif")), colour, 24);
        QVERIFY(gif.ok);
        QCOMPARE(gif.depthCode, 8);
        QCOMPARE(loadPicture(gif.path).depthCode, 8);

        const QImage indexed = convertToDepthCode(colour, 8);
        SaveResult jpg = savePicture(dir.filePath(QStringLiteral("b.jpg")), indexed, 8);
        QVERIFY(jpg.ok);
        QCOMPARE(jpg.depthCode, 24);
        QCOMPARE(loadPicture(jpg.path).depthCode, 24);

        const QImage grey = convertToDepthCode(colour, 80);
        SaveResult jpeg = savePicture(dir.filePath(QStringLiteral("c.jpeg")), grey, 80);
        QVERIFY(jpeg.ok);
        const LoadedPicture back = loadPicture(jpeg.path);
        QCOMPARE(back.depthCode, 80);
        QCOMPARE(back.picture.format(), QImage::Format_Grayscale8);
    }

    void resolutionKept() {
        QTemporaryDir dir;
        QImage img = pattern(20, 10);
        img.setDotsPerMeterX(int(std::lround(300 / 0.0254)));
        img.setDotsPerMeterY(int(std::lround(150 / 0.0254)));
        for (const char* ext : {"bmp", "png", "pcx", "tif", "jpg"}) {
            const SaveResult r =
                savePicture(dir.filePath(QStringLiteral("r.") + QLatin1String(ext)), img, 24);
            QVERIFY2(r.ok, qPrintable(r.error));
            const LoadedPicture back = loadPicture(r.path);
            QCOMPARE(back.dpiX, 300);
            QCOMPARE(back.dpiY, 150);
        }
    }

    void extensionRules() {
        QCOMPARE(fileExt(QStringLiteral("/a/B.PnG")), QStringLiteral("png"));
        QCOMPARE(fileExt(QStringLiteral("/my.shots/shot")), QStringLiteral("shots/shot"));
        QCOMPARE(fileExt(QStringLiteral("/a/shot")), QString());
        QCOMPARE(lowerExt(QStringLiteral("/X.Y/A.PNG")), QStringLiteral("/X.Y/A.png"));

        QTemporaryDir dir;
        QDir().mkdir(dir.filePath(QStringLiteral("my.shots")));
        const QImage img = pattern(8, 8);
        const SaveResult plain =
            savePicture(dir.filePath(QStringLiteral("my.shots/shot")), img, 32);
        QVERIFY(plain.ok);
        QCOMPARE(plain.path, dir.filePath(QStringLiteral("my.shots/shot.bmp")));
        QVERIFY(readAll(plain.path).startsWith("BM"));

        const SaveResult upper = savePicture(dir.filePath(QStringLiteral("A.PNG")), img, 32);
        QVERIFY(upper.ok);
        QCOMPARE(upper.path, dir.filePath(QStringLiteral("A.png")));
        QVERIFY(readAll(upper.path).startsWith("\x89PNG"));
        QCOMPARE(upper.depthCode, 24);
    }

    // Names being made get a format written here, never one under a foreign extension;
    // saving over a file writes that very file, whatever the case of its extension.
    void namesBeingMadeAndFilesSavedOver() {
        QTemporaryDir dir;
        for (const auto& [name, written] :
             QList<std::pair<QString, QString>>{{"2024.01.05", "2024.01.05.bmp"},
                                                {"report v1.2", "report v1.2.bmp"},
                                                {"shot.", "shot.bmp"},
                                                {"a.fpx", "a.fpx.bmp"},
                                                {"B.Jpeg", "B.jpeg"}}) {
            const SaveResult r = savePicture(dir.filePath(name), pattern(8, 8), 24);
            QVERIFY2(r.ok && r.path == dir.filePath(written), qPrintable(name + r.error));
        }
        QVERIFY(readAll(dir.filePath("2024.01.05.bmp")).startsWith("BM"));
        // The save dialog's type gives the extension a name lacks, not one it has; it offers
        // only what is written.
        QCOMPARE(resolveSaveTarget("/t/r_out", filterExtension("PNG (*.png)")).path,
                 "/t/r_out.png");
        QCOMPARE(resolveSaveTarget("/t/r_out.GIF", "png").path, QStringLiteral("/t/r_out.gif"));
        QCOMPARE(saveFilters(), "BMP (*.bmp);;JPG (*.jpg);;TIF (*.tif);;PCX (*.pcx);;PNG (*.png);;"
                                "GIF (*.gif);;JPEG 2000 (*.jp2)");

        const QString camera = dir.filePath(QStringLiteral("IMG_0001.JPG"));
        QVERIFY(pattern(30, 20).save(camera, "jpeg"));
        QVERIFY(savePicture(existingSaveTarget(camera), pattern(12, 10), 24).ok);
        QCOMPARE(loadPicture(camera).picture.size(), QSize(12, 10));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("IMG_0001.jpg"))));
        for (const char* name : {"x.fpx", "noext"})
            QVERIFY(!savePicture(existingSaveTarget(dir.filePath(name)), pattern(8, 8), 24).ok);
        QVERIFY(!QFile::exists(dir.filePath("x.fpx")) && !QFile::exists(dir.filePath("noext")));
    }

    // The file saved over keeps its mode, owner, hard and symbolic links; a folder that takes
    // no new files still lets its file be written.
    void replacingKeepsOwnerModeAndLinks() {
        QTemporaryDir dir;
        const QString a = dir.filePath("a.bmp"), b = dir.filePath("b.bmp");
        QVERIFY(savePicture(a, pattern(5, 5), 24).ok);
        QVERIFY(QFile::link(a, dir.filePath("link.bmp")));
        QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
        QVERIFY(QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions mode = QFile::permissions(a);
        QVERIFY(savePicture(existingSaveTarget(dir.filePath("link.bmp")), pattern(9, 4), 24).ok);
        QVERIFY(QFileInfo(dir.filePath("link.bmp")).isSymLink());
        QCOMPARE(loadPicture(b).picture.size(), QSize(9, 4)); // still one file under two names
        QCOMPARE(QFile::permissions(a), mode);

        if (::geteuid() != 0)
            QSKIP("giving files to another user needs root");
        QCOMPARE(::chown(QFile::encodeName(a).constData(), 65534, 65534), 0);
        QCOMPARE(::unlink(QFile::encodeName(b).constData()), 0);
        QVERIFY(savePicture(existingSaveTarget(a), pattern(6, 6), 24).ok);
        QCOMPARE(QFileInfo(a).ownerId(), 65534u);
        QCOMPARE(QFileInfo(a).groupId(), 65534u);

        // As another user, in a folder of root's that takes no new files, a file open to all.
        const QString locked = dir.filePath("locked"), d = locked + "/d.png";
        QVERIFY(QDir().mkdir(locked) && savePicture(d, pattern(5, 5), 24).ok);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)) &&
                QFile::setPermissions(d, QFile::Permissions(0x6666)) &&
                QFile::setPermissions(locked, QFile::Permissions(0x5555)));
        ::setfsuid(65534); // this thread only
        const SaveResult r = savePicture(existingSaveTarget(d), pattern(8, 2), 24);
        ::setfsuid(0);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(loadPicture(d).picture.size(), QSize(8, 2));
    }

    void failedSaveKeepsOldFile() {
        QTemporaryDir dir;
        const SaveResult missing =
            savePicture(dir.filePath(QStringLiteral("none/a.png")), pattern(8, 8), 24);
        QVERIFY(!missing.ok);
        QVERIFY(missing.error.contains(QStringLiteral("none/a.png")));

        // A file-size limit fails the write part way, for any user.
        const QString path = dir.filePath(QStringLiteral("old.bmp"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const SaveResult r = savePicture(path, pattern(300, 200), 24);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!r.ok);
        QVERIFY(r.error.size() > path.size());
        QCOMPARE(readAll(path), QByteArray("old contents"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("old.bmp")});
    }

    // Small files and offers that claim enormous pictures are refused, saying why, before
    // their pixels are decoded; so are files that are not regular files or far too large.
    void picturesOverTheBudgetAreRefused() {
        const auto refused = [](const LoadedPicture& p) {
            return !p.ok && p.error.contains(QStringLiteral("大きすぎます"));
        };
        // 16384 x 16384 at 16 bits a channel: 2 GB in the form Qt's reader decodes to.
        QVERIFY(refused(loadPictureData(QByteArray::fromHex(
            "89504e470d0a1a0a0000000d4948445200004000000040001002000000763a5b900000000849444154"
            "789c030000000001480689d20000000049454e44ae426082"))));
        // JPEG 2000, 16384 x 16384 in three components: OpenJPEG's samples would take 3 GB.
        QVERIFY(refused(loadPictureData(QByteArray::fromHex(
            "ff4fff51002f00000000400000004000000000000000000000004000000040000000000000000000"
            "0003070101070101070101ff52000c00000001000004040001ff5c00044040ff90000a0000000000"
            "000001ff93ffd9"))));
        // A 35-byte GIF of one pixel on a screen of 16384 x 16384; 8K opens, at one bit.
        const auto gif = [](int w, int h) {
            QByteArray g("GIF89a");
            for (int v : {w, h})
                g += char(v & 255), g += char(v >> 8);
            return g + QByteArray::fromHex("800000000000ffffff2c0000000001000100000202440100") +
                   ';';
        };
        QVERIFY(refused(loadPictureData(gif(16384, 16384))));
        QCOMPARE(loadPictureData(gif(7680, 4320)).picture.format(), QImage::Format_Mono);
        // A 1 KB bitmap offered on the clipboard as 16384 x 16384: a 1 GB capture. 8K is taken.
        platform::ClipboardSnapshot offer;
        offer.pictureFormat = "image/bmp";
        offer.pictureBytes = rleBitmap(16384, 16384);
        QString why;
        QVERIFY(decodeOffer(offer, &why).isNull() && why.contains(QStringLiteral("大きすぎます")));
        offer.pictureBytes = rleBitmap(7680, 4320);
        QCOMPARE(decodeOffer(offer, &why).size(), QSize(7680, 4320));

        QTemporaryDir dir;
        QFile huge(dir.filePath(QStringLiteral("huge.bmp")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30)); // sparse
        QVERIFY(refused(loadPicture(huge.fileName())));
        // Neither waits for a writer nor reads without end.
        const QString fifo = dir.filePath(QStringLiteral("x.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {fifo, QStringLiteral("/dev/zero"), dir.path()})
            QVERIFY(loadPicture(path).error.contains(path));
    }

    // Hand-made files of forms our writer does not produce.
    void pcxOtherForms() {
        QByteArray head(128, '\0');
        auto* h = reinterpret_cast<uchar*>(head.data());
        h[0] = 0x0A, h[1] = 5, h[2] = 1, h[3] = 4, h[65] = 1; // 4-bit packed
        qToLittleEndian<quint16>(2, h + 8);                   // 3 x 1
        qToLittleEndian<quint16>(2, h + 66);
        h[16 + 3 * 5] = 200; // colour 5 red
        LoadedPicture p = loadPictureData(head + QByteArray("\x50\xC1\xF0", 3));
        QVERIFY(p.ok);
        QCOMPARE(p.depthCode, 4);
        QCOMPARE(p.picture.pixel(0, 0), qRgb(200, 0, 0));
        QCOMPARE(p.picture.pixelIndex(2, 0), 15);

        // A claim far beyond the data is refused before anything is allocated.
        qToLittleEndian<quint16>(16000, h + 8);
        qToLittleEndian<quint16>(16000, h + 10);
        qToLittleEndian<quint16>(8000, h + 66);
        QVERIFY(!loadPictureData(head + QByteArray(100, '\xC1')).ok);
    }

    void widestPicture() {
        QTemporaryDir dir;
        const QImage wide = pattern(kMaxPictureSide, 8);
        for (const char* ext : {"bmp", "png"}) {
            const SaveResult r =
                savePicture(dir.filePath(QStringLiteral("w.") + QLatin1String(ext)), wide, 32);
            QVERIFY2(r.ok, qPrintable(r.error));
            const LoadedPicture back = loadPicture(r.path);
            QVERIFY2(back.ok, qPrintable(back.error));
            QCOMPARE(back.picture.width(), kMaxPictureSide);
        }
        QVERIFY(
            !savePicture(dir.filePath(QStringLiteral("x.bmp")), pattern(kMaxPictureSide + 1, 2), 32)
                 .ok);
    }
};

QTEST_MAIN(TestPictureFiles)
#include "tst_picturefiles.moc"
