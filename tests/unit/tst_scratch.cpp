#include <QBuffer>
#include <QImageReader>
#include <QtTest>
QByteArray rleBitmap(qint32 w, qint32 h) {
    QByteArray b(54 + 1024, 0);
    auto* p = reinterpret_cast<uchar*>(b.data());
    p[0] = 'B', p[1] = 'M';
    qToLittleEndian<quint32>(54 + 1024, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(8, p + 28);
    qToLittleEndian<quint32>(1, p + 30); // BI_RLE8
    b += QByteArray::fromHex("0001");    // end of the picture
    qToLittleEndian<quint32>(quint32(b.size()), p + 2);
    qToLittleEndian<quint32>(2, p + 34);
    return b;
}
class S : public QObject {
    Q_OBJECT
private slots:
    void conv() {
        QImageReader::setAllocationLimit(1024);
        for (int n : {32768, 32770, 36000, 65534}) {
            QByteArray d = rleBitmap(n, n / 2);
            QBuffer b(&d);
            b.open(QIODevice::ReadOnly);
            QImageReader r(&b, "bmp");
            qDebug() << r.size() << r.imageFormat();
            QImage i;
            qDebug() << r.read(&i) << r.errorString() << i.size();
        }
    }
};
QTEST_MAIN(S)
#include "tst_scratch.moc"
