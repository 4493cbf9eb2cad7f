// Colour reduction for the 16- and 256-colour depth codes: exact palettes for few colours,
// close adaptive palettes for many, no dithering of flat screen content.
#include "imaging/ColourReduction.h"
#include "imaging/DepthCode.h"
#include "imaging/ImageModel.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <cmath>

namespace {

QSet<QRgb> coloursOf(const QImage& img) {
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> set;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            set.insert(rgb.pixel(x, y));
    return set;
}

double psnr(const QImage& a, const QImage& b) {
    const QImage p = a.convertToFormat(QImage::Format_RGB32);
    const QImage q = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const QRgb c = p.pixel(x, y), d = q.pixel(x, y);
            const int dr = qRed(c) - qRed(d), dg = qGreen(c) - qGreen(d), db = qBlue(c) - qBlue(d);
            sum += dr * dr + dg * dg + db * db;
        }
    const double mse = sum / (3.0 * p.width() * p.height());
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

// `count` colours spread over the cube, in blocks, each pixel a different neighbour.
QImage fewColours(int count) {
    QImage img(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int i = (x / 2 + y * 7) % count;
            img.setPixel(x, y, qRgb((i * 97) & 255, (i * 53 + 40) & 255, (i * 151) % 256));
        }
    return img;
}

QImage gradient() {
    QImage img(256, 192, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x, y * 4 / 3, (x + y) / 2));
    return img;
}

// Panels of a few hundred flat colours, each with a dark frame and anti-aliased strokes
// like text, as a window shows them.
constexpr int kCell = 24;
QImage userInterface() {
    QImage img(20 * kCell, 16 * kCell, QImage::Format_RGB32);
    for (int cy = 0; cy < 16; ++cy)
        for (int cx = 0; cx < 20; ++cx) {
            const int i = cy * 20 + cx;
            const QRgb fill = qRgb(60 + i % 16 * 12, 60 + i / 16 * 9, 100 + (i * 29) % 120);
            for (int y = 0; y < kCell; ++y)
                for (int x = 0; x < kCell; ++x) {
                    QRgb c = fill;
                    if (x == 0 || y == 0)
                        c = qRgb(40, 40, 48);
                    else if (y >= 18 && x >= 4 && x < 20 && (x + y) % 5 < 2)
                        c = (x + y) % 5 == 0 ? qRgb(20, 20, 20) : qRgb(120, 120, 125);
                    img.setPixel(cx * kCell + x, cy * kCell + y, c);
                }
        }
    return img;
}

QImage noisy(QImage img) {
    QRandomGenerator rng(7);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            const int n = int(rng.bounded(25)) - 12;
            img.setPixel(x, y,
                         qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                              qBound(0, qBlue(c) + n, 255)));
        }
    return img;
}

} // namespace

class TestColourReduction : public QObject {
    Q_OBJECT
private slots:
    // Greys weigh the colours as screens do (BT.709 luma), at 256 and at 16 levels.
    void greyIsLuma() {
        QImage img(3, 1, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(255, 0, 0));
        img.setPixel(1, 0, qRgb(0, 255, 0));
        img.setPixel(2, 0, qRgb(0, 0, 255));
        const QImage grey = imaging::convertToDepthCode(img, 80);
        QCOMPARE(grey.format(), QImage::Format_Grayscale8);
        const uchar* g = grey.constScanLine(0);
        QCOMPARE((QList<int>{g[0], g[1], g[2]}), (QList<int>{54, 182, 19}));
        const QImage sixteen = imaging::convertToDepthCode(img, 40);
        QCOMPARE(sixteen.pixelIndex(0, 0), (54 * 15 + 127) / 255);
    }
    void limits_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("limit");
        QTest::newRow("16 colours") << 4 << 16;
        QTest::newRow("256 colours") << 8 << 256;
    }

    // Up to the limit every colour stays exactly; past it the palette adapts closely.
    void limits() {
        QFETCH(int, code);
        QFETCH(int, limit);
        QImage few = fewColours(limit);
        few.setDotsPerMeterX(3780);
        few.setDotsPerMeterY(2835);
        QCOMPARE(coloursOf(few).size(), limit);
        const QImage kept = imaging::convertToDepthCode(few, code);
        QCOMPARE(kept.format(), QImage::Format_Indexed8);
        QVERIFY(kept.colorCount() <= limit);
        QCOMPARE(kept.convertToFormat(QImage::Format_RGB32), few);
        QCOMPARE(kept.dotsPerMeterX(), 3780);
        QCOMPARE(kept.dotsPerMeterY(), 2835);

        const QImage many = gradient();
        const QImage reduced = imaging::convertToDepthCode(many, code);
        QVERIFY(reduced.colorCount() <= limit);
        const double db = psnr(many, reduced);
        // Dithered, as a smooth gradient is; the fixed 16-colour table reaches about 15 dB,
        // Qt's own 256-colour conversion about 25.
        QVERIFY2(db > (limit == 16 ? 20.0 : 31.0), qPrintable(QString::number(db)));
    }

    // A window's panels, over 256 colours, as close as pngquant brings them (37.8 and
    // 22.8 dB undithered, 34.8 and 21.5 dithered); the library at speed 8 gave 37.5 and 22.4.
    void screenPalettesAreAsCloseAsPngquants() {
        const QImage ui = userInterface();
        const double db256 = psnr(ui, imaging::reduceColours(ui, 256));
        const double db16 = psnr(ui, imaging::reduceColours(ui, 16));
        QVERIFY2(db256 > 37.7 && db16 > 22.7,
                 qPrintable(QStringLiteral("%1 and %2 dB").arg(db256).arg(db16)));
    }

    // Real screenshots come as close as pngquant 2.17 brings them, with its default
    // dithering or without, whichever is closer (dB), and every flat area keeps one colour.
    void realScreenshotsAsCloseAsPngquant_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("colours");
        QTest::addColumn<double>("pngquant");
        QTest::newRow("accessories, 256") << "accessories.png" << 256 << 62.13;
        QTest::newRow("accessories, 16") << "accessories.png" << 16 << 40.88;
        QTest::newRow("terminal, 256") << "terminal.png" << 256 << 61.42;
        QTest::newRow("terminal, 16") << "terminal.png" << 16 << 37.49;
        QTest::newRow("viewer, 256") << "viewer.png" << 256 << 40.33;
        QTest::newRow("viewer, 16") << "viewer.png" << 16 << 30.08;
    }
    void realScreenshotsAsCloseAsPngquant() {
        QFETCH(QString, file);
        QFETCH(int, colours);
        QFETCH(double, pngquant);
        const QImage shot = QImage(QStringLiteral(TOLVIK_BENCH_DATA "/") + file)
                                .convertToFormat(QImage::Format_RGB32);
        QVERIFY(!shot.isNull());
        const QImage out = imaging::reduceColours(shot, colours);
        const double db = psnr(shot, out);
        QVERIFY2(db >= pngquant - 0.005, qPrintable(QString::number(db)));
        int noisy = 0;
        for (int y = 1; y + 1 < shot.height(); ++y)
            for (int x = 1; x + 1 < shot.width(); ++x) {
                bool flat = true, same = true;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        flat = flat && shot.pixel(x + dx, y + dy) == shot.pixel(x, y);
                        same = same && out.pixelIndex(x + dx, y + dy) == out.pixelIndex(x, y);
                    }
                noisy += flat && !same;
            }
        QCOMPARE(noisy, 0);
    }

    // Flat panels keep one colour each; a noisy photograph is told apart and dithered.
    void dithersOnlyPhotographs() {
        const QImage ui = userInterface();
        QVERIFY(coloursOf(ui).size() > 256);
        QVERIFY(!imaging::looksPhotographic(ui));
        for (int limit : {16, 256}) {
            const QImage out = imaging::reduceColours(ui, limit);
            QVERIFY(out.colorCount() <= limit);
            for (int cy = 0; cy < ui.height(); cy += kCell)
                for (int cx = 0; cx < ui.width(); cx += kCell) {
                    const uchar index = out.constScanLine(cy + 2)[cx + 2];
                    for (int y = cy + 1; y < cy + 18; ++y)
                        for (int x = cx + 1; x < cx + kCell; ++x)
                            QVERIFY2(out.constScanLine(y)[x] == index,
                                     qPrintable(QStringLiteral("%1 colours, panel at %2,%3")
                                                    .arg(limit)
                                                    .arg(cx)
                                                    .arg(cy)));
                }
        }
        const QImage photo = noisy(gradient());
        QVERIFY(imaging::looksPhotographic(photo));
        // Dithering spends the error where the eye averages it: the smoothed picture
        // comes out closer to the smoothed source than without.
        const QImage plain = imaging::reduceColours(photo, 16, imaging::Dither::Never);
        const QImage dithered = imaging::reduceColours(photo, 16);
        auto smooth = [](const QImage& img) {
            return img.convertToFormat(QImage::Format_RGB32)
                .scaled(img.size() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        };
        QVERIFY(psnr(smooth(photo), smooth(dithered)) > psnr(smooth(photo), smooth(plain)));
    }

    // The model takes codes 4 and 8 from the reduction and a bitmap brings them back.
    void bitmapRoundTrip() {
        for (int code : {4, 8}) {
            imaging::ImageModel m;
            m.setImage(gradient());
            QVERIFY(m.convertDepth(code));
            QCOMPARE(m.depthCode(), code);
            QBuffer buf;
            buf.open(QIODevice::WriteOnly);
            QVERIFY(m.saveBmp(buf));
            imaging::ImageModel back;
            QVERIFY(back.loadFromData(buf.data(), "bmp"));
            QCOMPARE(back.depthCode(), code);
            QCOMPARE(back.image().convertToFormat(QImage::Format_RGB32),
                     m.image().convertToFormat(QImage::Format_RGB32));
        }
    }
};

QTEST_GUILESS_MAIN(TestColourReduction)
#include "tst_colourreduction.moc"
