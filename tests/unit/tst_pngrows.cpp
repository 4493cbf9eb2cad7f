// The decoder of the PNG form screenshot tools offer, against Qt's reader on PNGs made here
// with every row filter, the data over several chunks; the forms and damage it leaves alone.
#include "imaging/PngRows.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <libdeflate.h>

namespace {

QByteArray chunk(const char* type, const QByteArray& data) {
    QByteArray body = QByteArray(type, 4) + data;
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += body;
    char crc[4];
    qToBigEndian<quint32>(libdeflate_crc32(0, body.constData(), size_t(body.size())), crc);
    return out + QByteArray(crc, 4);
}

QByteArray header(int w, int h, int depth, int colour, int interlace = 0) {
    QByteArray d(13, '\0');
    qToBigEndian<quint32>(quint32(w), d.data());
    qToBigEndian<quint32>(quint32(h), d.data() + 4);
    d[8] = char(depth);
    d[9] = char(colour);
    d[12] = char(interlace);
    return chunk("IHDR", d);
}

struct Made {
    QByteArray png;
    QByteArray stream; // the zlib stream of the image data
};

// Random filtered rows, the filters 0 to 4 in turn, the stream over `pieces` chunks.
Made makePng(int w, int h, int channels, int pieces, const QByteArray& extra = {}) {
    QRandomGenerator rng(uint(w * 31 + h * 7 + channels));
    QByteArray raw;
    for (int y = 0; y < h; ++y) {
        raw += char(y % 5);
        for (int i = 0; i < w * channels; ++i)
            raw += char(y % 3 ? rng.bounded(3) : rng.bounded(256)); // small steps tie often
    }
    Made m;
    m.stream = qCompress(raw).mid(4); // Qt's length prefix off: a zlib stream
    m.png = QByteArray("\x89PNG\r\n\x1a\n", 8) + header(w, h, 8, channels == 4 ? 6 : 2) + extra;
    const qsizetype step = (m.stream.size() + pieces - 1) / pieces;
    for (qsizetype at = 0; at < m.stream.size(); at += step)
        m.png += chunk("IDAT", m.stream.mid(at, step));
    m.png += chunk("IEND", {});
    return m;
}

imaging::PngDecode decode(const QByteArray& png, imaging::PngRows* rows = nullptr) {
    imaging::PngBuffers buffers;
    imaging::PngRows out;
    return imaging::decodePngRows(png, buffers, rows ? *rows : out, nullptr);
}

} // namespace

class TestPngRows : public QObject {
    Q_OBJECT
private slots:
    void decodesAsQtDoes_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("pieces");
        QTest::newRow("RGB in one chunk") << 3 << 1;
        QTest::newRow("RGB over three") << 3 << 3;
        QTest::newRow("RGBA over two") << 4 << 2;
    }
    void decodesAsQtDoes() {
        QFETCH(int, channels);
        QFETCH(int, pieces);
        QByteArray phys(9, '\0');
        qToBigEndian<quint32>(2835, phys.data()); // 72 dpi
        qToBigEndian<quint32>(5669, phys.data() + 4);
        phys[8] = 1;
        const Made m =
            makePng(23, 17, channels, pieces, chunk("pHYs", phys) + chunk("tEXt", "Comment\0x"));
        const QImage qt = QImage::fromData(m.png, "PNG");
        QVERIFY(!qt.isNull());
        imaging::PngBuffers buffers;
        imaging::PngRows rows;
        QCOMPARE(imaging::decodePngRows(m.png, buffers, rows, nullptr), imaging::PngDecode::Done);
        QCOMPARE(rows.channels, channels);
        const QImage ours = imaging::imageOfRows(rows, true);
        QCOMPARE(ours, qt.convertToFormat(ours.format()));
        QCOMPARE(ours.dotsPerMeterX(), 2835);
        QCOMPARE(ours.dotsPerMeterY(), 5669);
        // Without the alpha channel: the colours as they are.
        QCOMPARE(imaging::imageOfRows(rows, false), qt.convertToFormat(QImage::Format_RGB32));
        // The buffers serve the next picture, smaller or larger.
        const Made next = makePng(40, 9, 3, 1);
        QCOMPARE(imaging::decodePngRows(next.png, buffers, rows, nullptr),
                 imaging::PngDecode::Done);
        QCOMPARE(imaging::imageOfRows(rows, false),
                 QImage::fromData(next.png, "PNG").convertToFormat(QImage::Format_RGB32));
    }

    void otherFormsAreLeftToQt() {
        const Made m = makePng(8, 8, 3, 1);
        const QByteArray rest = m.png.mid(33); // after the header
        const QByteArray sig = m.png.left(8);
        QCOMPARE(decode(sig + header(8, 8, 16, 2) + rest), imaging::PngDecode::Other);
        QCOMPARE(decode(sig + header(8, 8, 8, 3) + rest), imaging::PngDecode::Other);
        QCOMPARE(decode(sig + header(8, 8, 8, 0) + rest), imaging::PngDecode::Other);
        QCOMPARE(decode(sig + header(8, 8, 8, 2, 1) + rest), imaging::PngDecode::Other);
        QCOMPARE(decode(makePng(8, 8, 3, 1, chunk("tRNS", QByteArray(6, '\0'))).png),
                 imaging::PngDecode::Other);
        QCOMPARE(decode("not a png"), imaging::PngDecode::Other);
    }

    void damageIsFound() {
        Made m = makePng(8, 8, 3, 2);
        QByteArray badCrc = m.png;
        badCrc[badCrc.indexOf("IDAT") + 6] = char(badCrc[badCrc.indexOf("IDAT") + 6] ^ 1);
        QCOMPARE(decode(badCrc), imaging::PngDecode::Broken);
        // The data of a smaller picture under this header: too short.
        const QByteArray sig = m.png.left(8);
        QCOMPARE(decode(sig + header(8, 9, 8, 2) + m.png.mid(33)), imaging::PngDecode::Broken);
        QCOMPARE(decode(m.png.left(m.png.size() - 20)), imaging::PngDecode::Broken); // cut off
        QByteArray raw(1 + 8 * 3, '\0');
        raw[0] = 5; // no such filter
        const QByteArray png =
            sig + header(8, 1, 8, 2) + chunk("IDAT", qCompress(raw).mid(4)) + chunk("IEND", {});
        QCOMPARE(decode(png), imaging::PngDecode::Broken);
    }
};

QTEST_MAIN(TestPngRows)
#include "tst_pngrows.moc"
