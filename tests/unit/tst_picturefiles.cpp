// Picture files: every save format at every depth code, opened again; the extension
// rules; refusals; a failed save leaving the old file as it was, a replaced one keeping its
// owner, mode and links; and the picture budget.
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

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk = QByteArray(type) + data;
    quint32 crc = 0xFFFFFFFFu;
    for (char c : chunk) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    QByteArray out(4, 0);
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += chunk + QByteArray(4, 0);
    qToBigEndian<quint32>(~crc, out.data() + out.size() - 4);
    return out;
}

// A bitmap of 8-bit run-length rows, all of colour 0: its size is the header's word alone.
QByteArray rleBitmap(qint32 w, qint32 h) {
    QByteArray b(54 + 1024 + 2, 0); // headers, a table of 256 colours, one code
    auto* p = reinterpret_cast<uchar*>(b.data());
    p[0] = 'B', p[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size()), p + 2);
    qToLittleEndian<quint32>(54 + 1024, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(8, p + 28);
    qToLittleEndian<quint32>(1, p + 30); // BI_RLE8
    qToLittleEndian<quint32>(2, p + 34);
    p[54 + 1024 + 1] = 1; // 00 01: the end of the picture
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
        const QImage img = pattern(8, 8);
        const QList<std::pair<QString, QString>> made = {{"2024.01.05", "2024.01.05.bmp"},
                                                         {"report v1.2", "report v1.2.bmp"},
                                                         {"shot.", "shot.bmp"},
                                                         {"c.xyz", "c.xyz.bmp"},
                                                         {"a.fpx", "a.fpx.bmp"},
                                                         {"B.Jpeg", "B.jpeg"}};
        for (const auto& [name, written] : made) {
            const SaveResult r = savePicture(dir.filePath(name), img, 24);
            QVERIFY2(r.ok, qPrintable(name + u' ' + r.error));
            QCOMPARE(r.path, dir.filePath(written));
        }
        QVERIFY(readAll(dir.filePath("2024.01.05.bmp")).startsWith("BM"));
        // The save dialog's type gives the extension a name lacks, not one it has.
        QCOMPARE(resolveSaveTarget("/t/r_out", "png").path, QStringLiteral("/t/r_out.png"));
        QCOMPARE(resolveSaveTarget("/t/r_out", "png").writer, PictureWriter::Png);
        QCOMPARE(resolveSaveTarget("/t/r_out.GIF", "png").path, QStringLiteral("/t/r_out.gif"));
        QCOMPARE(resolveSaveTarget("/t/v1.2", "jp2").path, QStringLiteral("/t/v1.2.jp2"));

        // Only what is written is offered, and each type names its extension.
        const QStringList filters = saveFilters().split(QStringLiteral(";;"));
        QVERIFY(!saveFilters().contains(QStringLiteral("FPX"), Qt::CaseInsensitive));
        QCOMPARE(filters.size(), 7);
        for (const QString& f : filters)
            QVERIFY2(resolveSaveTarget("x", filterExtension(f)).path == "x." + filterExtension(f),
                     qPrintable(f));
        QCOMPARE(filterExtension(QStringLiteral("PNG (*.png)")), QStringLiteral("png"));

        const QString camera = dir.filePath(QStringLiteral("IMG_0001.JPG"));
        QVERIFY(pattern(30, 20).save(camera, "jpeg"));
        const SaveTarget over = existingSaveTarget(camera);
        QCOMPARE(over.path, camera);
        const SaveResult r = savePicture(over, pattern(12, 10), 24);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(loadPicture(camera).picture.size(), QSize(12, 10));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("IMG_0001.jpg"))));
        for (const char* name : {"x.fpx", "x.txt", "noext"}) {
            const SaveTarget t = existingSaveTarget(dir.filePath(QLatin1String(name)));
            QVERIFY(!t.ok());
            QVERIFY(!savePicture(t, img, 24).ok);
            QVERIFY(!QFile::exists(t.path));
        }
        QVERIFY(!ImageModel().save(dir.filePath(QStringLiteral("e.fpx")), FormatFpx));
    }

    // The file saved over keeps its owner, mode, hard links and symbolic links; a folder
    // that takes no new files still lets its file be written.
    void replacingKeepsOwnerModeAndLinks() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.bmp"));
        const QString b = dir.filePath(QStringLiteral("b.bmp"));
        QVERIFY(savePicture(a, pattern(5, 5), 24).ok);
        QVERIFY(QFile::link(a, dir.filePath(QStringLiteral("link.bmp"))));
        QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
        QVERIFY(QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(savePicture(existingSaveTarget(b), pattern(7, 3), 24).ok);
        QCOMPARE(readAll(a), readAll(b)); // still one file under two names
        QVERIFY(savePicture(existingSaveTarget(dir.filePath("link.bmp")), pattern(9, 4), 24).ok);
        QVERIFY(QFileInfo(dir.filePath("link.bmp")).isSymLink());
        QCOMPARE(loadPicture(b).picture.size(), QSize(9, 4));
        const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFile::permissions(a) & mode,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

        if (::geteuid() != 0)
            QSKIP("giving files to another user needs root");
        const QString c = dir.filePath(QStringLiteral("c.png"));
        QVERIFY(savePicture(c, pattern(5, 5), 24).ok);
        QCOMPARE(::chown(QFile::encodeName(c).constData(), 65534, 65534), 0);
        QVERIFY(savePicture(existingSaveTarget(c), pattern(6, 6), 24).ok);
        QCOMPARE(QFileInfo(c).ownerId(), 65534u);
        QCOMPARE(QFileInfo(c).groupId(), 65534u);

        // As another user, in a folder of root's that takes no new files, a file open to all.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        const QString d = locked + QStringLiteral("/d.png");
        QVERIFY(savePicture(d, pattern(5, 5), 24).ok);
        QVERIFY(QFile::setPermissions(d, QFile::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(locked, QFile::Permissions(0x5555)));
        ::setfsuid(65534); // this thread only
        const SaveResult r = savePicture(existingSaveTarget(d), pattern(8, 2), 24);
        ::setfsuid(0);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(loadPicture(d).picture.size(), QSize(8, 2));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"d.png"});
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

    // Small files that claim enormous pictures are refused, saying why, before their pixels
    // are decoded; so are files that are not regular files or are far too large.
    void picturesOverTheBudgetAreRefused() {
        const auto refused = [](const LoadedPicture& p) {
            return !p.ok && p.error.contains(QStringLiteral("大きすぎます"));
        };
        // 16384 x 16384 at 16 bits a channel: 2 GB in the form Qt's reader decodes to.
        QByteArray ihdr;
        ihdr += QByteArray::fromHex("0000400000004000") + char(16) + char(2) + QByteArray(3, 0);
        const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", ihdr) +
                               pngChunk("IDAT", QByteArray::fromHex("789c030000000001")) +
                               pngChunk("IEND", {});
        QVERIFY(refused(loadPictureData(png)));

        // A JPEG 2000 code stream of 16384 x 16384 in three components: OpenJPEG would take
        // 3 GB for its samples.
        QByteArray j2k = QByteArray::fromHex("ff4fff51002f0000");
        for (quint32 v : {16384u, 16384u, 0u, 0u, 16384u, 16384u, 0u, 0u})
            j2k += QByteArray::fromHex(QByteArray::number(v, 16).rightJustified(8, '0'));
        j2k += QByteArray::fromHex("0003070101070101070101");
        j2k += QByteArray::fromHex("ff52000c00000001000004040001ff5c00044040");
        j2k += QByteArray::fromHex("ff90000a0000000000000001ff93ffd9");
        QVERIFY2(refused(loadPictureData(j2k)), qPrintable(loadPictureData(j2k).error));

        // A 1 KB run-length bitmap of 16384 x 16384 offered on the clipboard: a 1 GB capture.
        platform::ClipboardSnapshot offer;
        offer.pictureFormat = "image/bmp";
        offer.pictureBytes = rleBitmap(16384, 16384);
        QString why;
        QVERIFY(decodeOffer(offer, &why).isNull());
        QVERIFY2(why.contains(QStringLiteral("大きすぎます")), qPrintable(why));
        // An 8K capture is well within.
        offer.pictureBytes = rleBitmap(7680, 4320);
        QCOMPARE(decodeOffer(offer, &why).size(), QSize(7680, 4320));

        // A 35-byte GIF of one pixel on a screen of 16384 x 16384; 8K the same way opens, at
        // one bit a pixel.
        const auto gif = [](int w, int h) {
            QByteArray g("GIF89a");
            for (int v : {w, h})
                g += char(v & 255), g += char(v >> 8);
            g += QByteArray::fromHex("800000000000ffffff2c000000000100010000");
            return g + QByteArray::fromHex("0202440100") + ';';
        };
        QCOMPARE(gif(16384, 16384).size(), 35);
        QVERIFY2(refused(loadPictureData(gif(16384, 16384))),
                 qPrintable(loadPictureData(gif(16384, 16384)).error));
        const LoadedPicture eightK = loadPictureData(gif(7680, 4320));
        QVERIFY2(eightK.ok, qPrintable(eightK.error));
        QCOMPARE(eightK.picture.format(), QImage::Format_Mono);
        QCOMPARE(eightK.picture.size(), QSize(7680, 4320));

        QTemporaryDir dir;
        QFile huge(dir.filePath(QStringLiteral("huge.bmp")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30)); // sparse
        huge.close();
        QVERIFY(refused(loadPicture(huge.fileName())));

        // Neither waits for a writer nor reads without end.
        const QString fifo = dir.filePath(QStringLiteral("x.png"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {fifo, QStringLiteral("/dev/zero"), dir.path()}) {
            const LoadedPicture p = loadPicture(path);
            QVERIFY(!p.ok);
            QVERIFY2(p.error.contains(path), qPrintable(p.error));
        }
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
