// Picture edits on tiny pictures with known pixels: range, trimming, folding, reduction,
// rotation, colour depth, emphasis, and an edit as one step of the document's history.
#include "core/DepthCaptions.h"
#include "imaging/DepthCode.h"
#include "imaging/Edits.h"
#include "imaging/PictureDocument.h"

#include <QtTest>

#include <algorithm>

using namespace imaging;

namespace {
// Every pixel tells where it came from: red the column, green the row (low byte), blue the
// row's high byte.
QImage numbered(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x & 255, y & 255, y >> 8));
    return img.convertToFormat(format);
}
ImageModel modelOf(const QImage& img, Range range = {}) {
    ImageModel m;
    m.setImage(img);
    m.range = range;
    return m;
}
int rowOf(const QImage& img, int y) {
    const QRgb c = img.pixel(0, y);
    return qGreen(c) + (qBlue(c) << 8);
}
// A four-colour palette picture whose pixels are the indices (x + y) % 4.
QImage palette4(int w, int h) {
    QImage img(w, h, QImage::Format_Indexed8);
    img.setColorTable({qRgb(0, 0, 0), qRgb(60, 60, 60), qRgb(0, 0, 255), qRgb(255, 255, 255)});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, uint((x + y) % 4));
    return img;
}
// Palette indices row by row.
QList<int> indices(const QImage& img) {
    QList<int> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            out << img.pixelIndex(x, y);
    return out;
}
} // namespace

class TestEdits : public QObject {
    Q_OBJECT
private slots:
    void rangeAndTrim() {
        ImageModel m = modelOf(numbered(5, 4), {0, 0, 120, 80});
        QCOMPARE(rangePixels(m), QRect(0, 0, 5, 4)); // present, limited to the picture
        m.range = {};
        QVERIFY(rangePixels(m).isEmpty());
        QVERIFY(!clearRange(m));
        m.range = {3, 2, 1, 1}; // corners in either order, both edges included
        QVERIFY(trimToRange(m));
        QCOMPARE(m.image().size(), QSize(3, 2));
        QCOMPARE(m.image().pixel(0, 0), qRgb(1, 1, 0));
        QCOMPARE(m.image().pixel(2, 1), qRgb(3, 2, 0));
        QVERIFY(m.range.isEmpty());

        ImageModel pal = modelOf(palette4(4, 2), {2, 0, 3, 1});
        pal.setImage(pal.image(), 4);
        QVERIFY(trimToRange(pal));
        QCOMPARE(pal.depthCode(), 4);
        QCOMPARE(indices(pal.image()), (QList<int>{2, 3, 3, 0}));
        pal.range = {9, 9, 12, 12}; // wholly outside
        QVERIFY(!trimToRange(pal));
        QVERIFY(clearRange(pal));
        QCOMPARE(pal.image().size(), QSize(2, 2));
    }

    void foldRows() {
        ImageModel m = modelOf(numbered(640, 2000), {0, 500, 639, 799});
        QVERIFY(foldOutBand(m, FoldDirection::Rows));
        QCOMPARE(m.image().size(), QSize(640, 1700));
        QCOMPARE(rowOf(m.image(), 499), 499);
        QCOMPARE(rowOf(m.image(), 500), 800);
        QCOMPARE(m.image().pixel(639, 1699), qRgb(639 & 255, 1999 & 255, 1999 >> 8));
        QVERIFY(m.range.isEmpty());

        // A band reaching past the bottom takes only the picture's rows from y1 on.
        ImageModel past = modelOf(numbered(3, 10), {0, 5, 2, 50});
        QVERIFY(foldOutBand(past, FoldDirection::Rows));
        QCOMPARE(past.image().size(), QSize(3, 5));
        QCOMPARE(rowOf(past.image(), 4), 4);

        ImageModel whole = modelOf(numbered(3, 4), {0, 0, 2, 3});
        QVERIFY(!foldOutBand(whole, FoldDirection::Rows));
        QCOMPARE(whole.image().size(), QSize(3, 4));
        QVERIFY(!whole.range.isEmpty());
    }

    void foldColumns() {
        ImageModel m = modelOf(numbered(800, 600), {600, 0, 799, 599});
        QVERIFY(foldOutBand(m, FoldDirection::Columns));
        QCOMPARE(m.image().size(), QSize(600, 600));
        QCOMPARE(m.image().pixel(599, 599), qRgb(599 & 255, 599 & 255, 599 >> 8));

        // 4-bit grey and 1-bit pictures keep form, depth code and exact pixels.
        QImage ramp(4, 1, QImage::Format_Grayscale8);
        for (int x = 0; x < 4; ++x)
            ramp.setPixel(x, 0, qRgb(x * 85, x * 85, x * 85));
        ImageModel grey = modelOf(ramp, {1, 0, 2, 0});
        QVERIFY(grey.convertDepth(40));
        QCOMPARE(indices(grey.image()), (QList<int>{0, 5, 10, 15}));
        QVERIFY(foldOutBand(grey, FoldDirection::Columns));
        QCOMPARE(grey.depthCode(), 40);
        QCOMPARE(indices(grey.image()), (QList<int>{0, 15}));
        QImage mono(11, 1, QImage::Format_Mono);
        for (int x = 0; x < 11; ++x)
            mono.setPixel(x, 0, uint(x % 3 == 0));
        ImageModel bits = modelOf(mono, {2, 0, 4, 0});
        QVERIFY(foldOutBand(bits, FoldDirection::Columns));
        QCOMPARE(bits.depthCode(), 1);
        QCOMPARE(indices(bits.image()), (QList<int>{1, 0, 0, 1, 0, 0, 1, 0}));
    }

    void reduction() {
        const Range r{100, 100, 500, 300};
        QCOMPARE(reducedSize({1000, 800}, r, ReduceMode::KeepRatioByWidth), QSize(400, 320));
        QCOMPARE(reducedSize({1000, 800}, r, ReduceMode::KeepRatioByHeight), QSize(250, 200));
        QCOMPARE(reducedSize({1000, 800}, r, ReduceMode::RangeSize), QSize(400, 200));
        // dy = 2 / 4 * 5 = 2.5 and 2 / 4 * 3 = 1.5: halves go to the even neighbour.
        QCOMPARE(reducedSize({4, 5}, {0, 0, 2, 1}, ReduceMode::KeepRatioByWidth), QSize(2, 2));
        QCOMPARE(reducedSize({4, 3}, {0, 0, 2, 1}, ReduceMode::KeepRatioByWidth), QSize(2, 2));
        QVERIFY(reducedSize({4, 3}, {1, 0, 1, 2}, ReduceMode::RangeSize).isEmpty());

        ImageModel colour = modelOf(palette4(8, 8), {0, 0, 4, 2});
        colour.setImage(colour.image(), 8);
        QVERIFY(reduceToRange(colour, ReduceMode::RangeSize));
        QCOMPARE(colour.image().size(), QSize(4, 2));
        QCOMPARE(colour.depthCode(), 16);
        QCOMPARE(colour.image().format(), QImage::Format_RGB16);
        QVERIFY(colour.range.isEmpty());

        ImageModel grey = modelOf(numbered(8, 8, QImage::Format_Grayscale8), {0, 0, 2, 2});
        QVERIFY(reduceToRange(grey, ReduceMode::KeepRatioByWidth));
        QCOMPARE(grey.depthCode(), 80);
        QCOMPARE(grey.image().size(), QSize(2, 2));

        QImage uniform(6, 6, QImage::Format_RGB888);
        uniform.fill(qRgb(10, 200, 30));
        ImageModel flat = modelOf(uniform, {1, 1, 1, 4});
        QVERIFY(!reduceToRange(flat, ReduceMode::RangeSize)); // no width
        QCOMPARE(flat.image().size(), QSize(6, 6));
        flat.range = {0, 0, 3, 3};
        QVERIFY(reduceToRange(flat, ReduceMode::RangeSize));
        QCOMPARE(flat.depthCode(), 24);
        QCOMPARE(flat.image().pixel(2, 2), qRgb(10, 200, 30));
    }

    void rotation() {
        ImageModel row = modelOf(numbered(3, 1));
        QVERIFY(rotate(row, Turn::MirrorLeftRight));
        QCOMPARE(row.image().pixel(0, 0), qRgb(2, 0, 0));
        QCOMPARE(row.image().pixel(2, 0), qRgb(0, 0, 0));
        ImageModel column = modelOf(numbered(1, 3));
        QVERIFY(rotate(column, Turn::FlipTopBottom));
        QCOMPARE(rowOf(column.image(), 0), 2);

        // A quarter to the right takes the left end to the top, to the left to the bottom.
        ImageModel right = modelOf(numbered(2, 1));
        right.resolutionX = 96;
        right.resolutionY = 72;
        ImageModel left = right;
        QVERIFY(rotate(right, Turn::Right90));
        QVERIFY(rotate(left, Turn::Left90));
        QCOMPARE(right.image().size(), QSize(1, 2));
        QCOMPARE(right.image().pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(left.image().pixel(0, 0), qRgb(1, 0, 0));
        QCOMPARE(right.resolutionX, 72);

        ImageModel a = modelOf(numbered(3, 2), {1, 1, 2, 1});
        ImageModel b = a;
        QVERIFY(rotate(a, Turn::Right180));
        QVERIFY(rotate(b, Turn::Left180));
        QCOMPARE(a.image(), b.image());
        QCOMPARE(a.image().pixel(0, 0), qRgb(2, 1, 0));
        QCOMPARE(a.range, (Range{1, 1, 2, 1})); // the range stays

        // Palette pictures turn by index, 1-bit ones by bit.
        ImageModel pal = modelOf(palette4(3, 2));
        pal.setImage(pal.image(), 4);
        QVERIFY(rotate(pal, Turn::Right90));
        QCOMPARE(pal.depthCode(), 4);
        QCOMPARE(indices(pal.image()), (QList<int>{1, 0, 2, 1, 3, 2}));
        QImage mono(9, 1, QImage::Format_Mono);
        mono.fill(0);
        mono.setPixel(8, 0, 1);
        ImageModel bits = modelOf(mono);
        QVERIFY(rotate(bits, Turn::Left90));
        QCOMPARE(indices(bits.image()), (QList<int>{1, 0, 0, 0, 0, 0, 0, 0, 0}));

        ImageModel none;
        QVERIFY(!rotate(none, Turn::Right90));
    }

    // Our tiled, banded moves give Qt's pictures for every pixel size, with odd sizes (row
    // padding, partial tiles) and a picture large enough to be split among threads.
    void movesAgreeWithQt_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("8 bits") << QImage::Format_Grayscale8 << QSize(67, 45);
        QTest::newRow("16 bits") << QImage::Format_RGB16 << QSize(130, 3);
        QTest::newRow("24 bits") << QImage::Format_RGB888 << QSize(1, 129);
        QTest::newRow("32 bits, banded") << QImage::Format_RGB32 << QSize(1601, 1403);
        QTest::newRow("24 bits, banded") << QImage::Format_RGB888 << QSize(2047, 1399);
    }
    void movesAgreeWithQt() {
        QFETCH(QImage::Format, format);
        QFETCH(QSize, size);
        const QImage src = numbered(size.width(), size.height(), format);
        const struct {
            Turn turn;
            QImage expected;
        } cases[] = {
            {Turn::Right90, src.transformed(QTransform().rotate(90))},
            {Turn::Left90, src.transformed(QTransform().rotate(270))},
            {Turn::MirrorLeftRight, src.mirrored(true, false)},
            {Turn::FlipTopBottom, src.mirrored(false, true)},
            {Turn::Right180, src.mirrored(true, true)},
        };
        for (const auto& c : cases) {
            ImageModel m = modelOf(src);
            QVERIFY(rotate(m, c.turn));
            QCOMPARE(m.image().format(), format);
            QCOMPARE(m.image(), c.expected);
        }
    }

    void colourDepth_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("code");
        QTest::newRow("4") << QStringLiteral("16色(4bit)") << 4;
        QTest::newRow("40") << QStringLiteral("ｸﾞﾚｰ(4bit)") << 40;
        QTest::newRow("8") << QStringLiteral("256色(8bit)") << 8;
        QTest::newRow("80") << QStringLiteral("ｸﾞﾚｰ(8bit)") << 80;
        QTest::newRow("16") << QStringLiteral("16bit") << 16;
        QTest::newRow("24") << QStringLiteral("24bit") << 24;
        QTest::newRow("32") << QStringLiteral("32bit") << 32;
        QTest::newRow("none") << QStringLiteral("減色しない") << 0;
    }
    // The menu's captions name their codes; each conversion gives exactly that form.
    void colourDepth() {
        QFETCH(QString, caption);
        QFETCH(int, code);
        QCOMPARE(depthcaptions::codeOf(caption), code);
        if (code != 0)
            QCOMPARE(depthcaptions::captionOf(code), caption);
        ImageModel m = modelOf(numbered(17, 5), {1, 1, 3, 3});
        QCOMPARE(convertToDepth(m, code), code != 0);
        QCOMPARE(m.depthCode(), code ? code : 32);
        QCOMPARE(depthCodeOf(m.image()), m.depthCode());
        QCOMPARE(m.range, (Range{1, 1, 3, 3}));
    }

    void emphasis() {

        QImage src(4, 3, QImage::Format_RGB888);
        src.fill(qRgb(100, 210, 40));
        const Range r{1, 1, 2, 1};
        ImageModel lifted = modelOf(src, r);
        ImageModel marked = modelOf(src, r);
        QVERIFY(emphasizeRange(lifted, Emphasis::Relative));
        QVERIFY(emphasizeRange(marked, Emphasis::Marker));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool inside = y == 1 && (x == 1 || x == 2);
                QCOMPARE(lifted.image().pixel(x, y), inside ? qRgb(155, 255, 95) : src.pixel(x, y));
                QCOMPARE(marked.image().pixel(x, y), inside ? qRgb(100, 210, 0) : src.pixel(x, y));
            }
        QCOMPARE(lifted.depthCode(), 24);
        QCOMPARE(lifted.range, r);
        QVERIFY(emphasizeRange(lifted, Emphasis::Relative)); // again on the same rectangle
        QCOMPARE(lifted.image().pixel(1, 1), qRgb(210, 255, 150));

        // A palette picture keeps its code and the colour of every pixel outside the region;
        // with room in the palette, the region takes its emphasised colours exactly.
        ImageModel pal = modelOf(palette4(4, 2), {0, 0, 1, 1});
        pal.setImage(pal.image(), 8);
        const QImage before = pal.image();
        QVERIFY(emphasizeRange(pal, Emphasis::Relative));
        QCOMPARE(pal.depthCode(), 8);
        QCOMPARE(pal.image().format(), QImage::Format_Indexed8);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const QRgb c = before.pixel(x, y);
                const QRgb up = qRgb(std::min(255, qRed(c) + 55), std::min(255, qGreen(c) + 55),
                                     std::min(255, qBlue(c) + 55));
                QCOMPARE(pal.image().pixel(x, y), x < 2 && y < 2 ? up : c);
            }

        ImageModel none = modelOf(src);
        QVERIFY(!emphasizeRange(none, Emphasis::Marker));
        QCOMPARE(none.image(), src);
    }

    // A full palette (1, 4 and 8 bits) cannot take the new colours: the region is dithered
    // from the palette, visibly lighter, and nothing outside it changes.
    void emphasisOnFullPalettes_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("1 bit") << 1;
        QTest::newRow("16 colours") << 4;
        QTest::newRow("256 colours") << 8;
    }
    void emphasisOnFullPalettes() {
        QFETCH(int, code);
        const int colours = code == 1 ? 2 : code == 4 ? 16 : 256;
        QImage img(64, 64, code == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < colours; ++i) // dark to light, every entry used
            table << qRgb(i * 255 / (colours - 1), i * 200 / (colours - 1), 30);
        img.setColorTable(table);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                img.setPixel(x, y, uint((x / 2 + y * 7) % colours) / (x < 32 ? 2 : 1));
        ImageModel m = modelOf(img, {8, 8, 31, 55});
        m.setImage(img, code);
        const QRect region(QPoint(8, 8), QPoint(31, 55));
        auto light = [](const QImage& i, const QRect& r) {
            double sum = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    sum += qRed(i.pixel(x, y)) + qGreen(i.pixel(x, y)) + qBlue(i.pixel(x, y));
            return sum / (3.0 * r.width() * r.height());
        };
        QVERIFY(emphasizeRange(m, Emphasis::Relative));
        QCOMPARE(m.depthCode(), code);
        QCOMPARE(m.image().format(), img.format());
        QVERIFY2(
            light(m.image(), region) > light(img, region) + 20,
            qPrintable(
                QStringLiteral("%1 -> %2").arg(light(img, region)).arg(light(m.image(), region))));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (!region.contains(x, y))
                    QCOMPARE(m.image().pixel(x, y), img.pixel(x, y));
    }

    // An edit is one step of the document: undo gives back the exact pixels and depth code;
    // an edit that cannot be done leaves the picture and the history as they were.
    void throughTheDocument() {
        PictureDocument doc;
        doc.replace(modelOf(palette4(5, 3)));
        const QImage original = doc.image();
        const int code = doc.depthCode();
        doc.setRange({1, 0, 2, 2});
        QVERIFY(EditOutcome::Done == doc.edit(QStringLiteral("綴じ込み"), [](ImageModel& p) {
            return foldOutBand(p, FoldDirection::Columns);
        }));
        QCOMPARE(doc.image().size(), QSize(3, 3));
        QVERIFY(EditOutcome::Done == doc.edit(QStringLiteral("24bit"),
                                              [](ImageModel& p) { return convertToDepth(p, 24); }));
        QCOMPARE(doc.depthCode(), 24);
        QVERIFY(EditOutcome::Done !=
                doc.edit(QStringLiteral("ﾄﾘﾐﾝｸﾞ"), trimToRange)); // the fold cleared the range
        QCOMPARE(doc.history().count(), 2);
        doc.history().undo();
        doc.history().undo();
        QCOMPARE(doc.image(), original);
        QCOMPARE(doc.depthCode(), code);
        QCOMPARE(doc.range(), (Range{1, 0, 2, 2}));
    }
};

QTEST_MAIN(TestEdits)
#include "tst_edits.moc"
