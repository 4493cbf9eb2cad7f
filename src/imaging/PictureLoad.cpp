#include "imaging/DepthCode.h"
#include "imaging/Jp2Codec.h"
#include "imaging/PcxCodec.h"
#include "imaging/PictureFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QtEndian>

#include <cmath>

namespace imaging {

namespace {

int dpiOf(int dotsPerMeter) {
    return int(std::lround(dotsPerMeter * 0.0254));
}

bool greyTable(const QList<QRgb>& t) {
    for (QRgb c : t)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

// The global colour table of a GIF file; empty without one.
QList<QRgb> gifTable(const QByteArray& d) {
    QList<QRgb> t;
    const auto* p = reinterpret_cast<const uchar*>(d.constData());
    if (d.size() < 13 || !(p[10] & 0x80))
        return t;
    const int n = 2 << (p[10] & 7);
    if (d.size() < 13 + 3 * n)
        return t;
    for (int i = 0; i < n; ++i)
        t.append(qRgb(p[13 + 3 * i], p[14 + 3 * i], p[15 + 3 * i]));
    return t;
}

// The depth code the file itself states, where the picture as Qt hands it over does not
// tell (a 4-bit bitmap and an 8-bit one of few colours both come as 8-bit indexes); 0
// when the header says nothing usable.
int statedDepth(const QByteArray& format, const QByteArray& d, const QImage& img) {
    const auto* p = reinterpret_cast<const uchar*>(d.constData());
    if (format == "bmp" && d.size() >= 30) {
        const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
        const int bits = qFromLittleEndian<quint16>(p + (headerSize == 12 ? 24 : 28));
        const bool grey = img.format() == QImage::Format_Grayscale8 ||
                          (img.format() == QImage::Format_Indexed8 && greyTable(img.colorTable()));
        switch (bits) {
        case 1:
        case 16:
        case 24:
        case 32:
            return bits;
        case 4:
            return grey && img.colorCount() > 2 ? 40 : 4;
        case 8:
            return grey ? 80 : 8;
        default:
            return 0;
        }
    }
    if (format == "png" && d.size() >= 26) {
        const int bits = p[24];
        switch (p[25]) {
        case 0: // grey
            return bits == 1 ? 1 : bits <= 4 ? 40 : 80;
        case 3: // palette
            return bits == 1 ? 1 : bits <= 4 ? 4 : (greyTable(img.colorTable()) ? 80 : 8);
        case 2:
            return 24;
        default: // grey or colour with alpha
            return 32;
        }
    }
    if (format == "gif") {
        const QList<QRgb> t = gifTable(d);
        if (t.isEmpty())
            return 0;
        const bool grey = greyTable(t);
        return t.size() == 2 ? 1 : t.size() <= 16 ? (grey ? 40 : 4) : (grey ? 80 : 8);
    }
    return 0;
}

// Qt opens GIF pictures as 32-bit; their indexes come back through the file's colours.
// Neighbouring pixels mostly repeat, so the last colour is tried first.
QImage indexed(const QImage& src, const QList<QRgb>& table, bool mono) {
    QImage out(src.size(), mono ? QImage::Format_Mono : QImage::Format_Indexed8);
    if (out.isNull())
        return out;
    out.setColorTable(table);
    out.fill(0);
    QHash<QRgb, uchar> index;
    for (int i = table.size() - 1; i >= 0; --i)
        index.insert(table[i] | 0xFF000000u, uchar(i));
    const QImage argb = src.convertToFormat(QImage::Format_ARGB32);
    QRgb last = 0;
    uchar lastIndex = 0;
    bool haveLast = false;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* d = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = s[x] | 0xFF000000u;
            if (!haveLast || c != last) {
                last = c;
                lastIndex = index.value(c, 0); // transparent pixels take colour 0
                haveLast = true;
            }
            if (mono)
                d[x >> 3] |= uchar((lastIndex & 1) << (7 - (x & 7)));
            else
                d[x] = lastIndex;
        }
    }
    return out;
}

// The depth code of a picture from its form alone; 32 only with alpha.
int formDepth(const QImage& img) {
    switch (img.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB16:
        return depthCodeOf(img);
    case QImage::Format_Grayscale16:
        return 80;
    default:
        return img.hasAlphaChannel() ? 32 : 24;
    }
}

LoadedPicture failed(const QString& error) {
    LoadedPicture r;
    r.error = error;
    return r;
}

const QString kCannotRead = QStringLiteral("画像を読み込めません");

LoadedPicture readWithQt(const QByteArray& data, const QString& nameHint) {
    QByteArray copy = data; // QBuffer wants a non-const array; this shares, not copies
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf, QFileInfo(nameHint).suffix().toLower().toLatin1());
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        return failed(
            QStringLiteral("画像が大きすぎます（%1 x %2）").arg(size.width()).arg(size.height()));
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return failed(kCannotRead + QStringLiteral(": ") + reader.errorString());
    if (img.width() > kMaxPictureSide || img.height() > kMaxPictureSide)
        return failed(
            QStringLiteral("画像が大きすぎます（%1 x %2）").arg(img.width()).arg(img.height()));
    const QByteArray format = reader.format();
    LoadedPicture r;
    r.depthCode = statedDepth(format, data, img);
    if (r.depthCode == 0)
        r.depthCode = formDepth(img);
    // GIF has no resolution; Qt gives such pictures its screen default.
    if (format != "gif") {
        r.dpiX = dpiOf(img.dotsPerMeterX());
        r.dpiY = dpiOf(img.dotsPerMeterY());
    }
    const int code = r.depthCode;
    if (format == "gif" && (code == 1 || code == 4 || code == 40 || code == 8) &&
        img.format() != QImage::Format_Indexed8 && img.format() != QImage::Format_Mono)
        r.picture = indexed(img, gifTable(data), code == 1);
    else
        r.picture = convertToDepthCode(img, code);
    r.ok = !r.picture.isNull();
    return r;
}

} // namespace

LoadedPicture loadPictureData(const QByteArray& data, const QString& nameHint) {
    if (data.isEmpty())
        return failed(kCannotRead);
    if (looksLikeJp2(data.constData(), data.size())) {
        LoadedPicture r;
        QString why;
        r.picture = readJp2(data.constData(), data.size(), &r.depthCode, &why);
        r.ok = !r.picture.isNull();
        if (!r.ok)
            r.error = kCannotRead + QStringLiteral(": ") + why;
        return r;
    }
    if (looksLikePcx(data.constData(), data.size())) {
        PcxPicture pcx = readPcx(data.constData(), data.size());
        if (pcx.image.isNull())
            return failed(kCannotRead + QStringLiteral(": PCX"));
        LoadedPicture r;
        r.ok = true;
        r.picture = std::move(pcx.image);
        r.depthCode = pcx.depthCode;
        r.dpiX = pcx.dpiX;
        r.dpiY = pcx.dpiY;
        return r;
    }
    return readWithQt(data, nameHint);
}

LoadedPicture loadPicture(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("開けません: %1\n%2").arg(path, f.errorString()));
    // Mapped rather than read: a large bitmap is decoded straight from the page cache.
    const qint64 size = f.size();
    if (uchar* mapped = size > 0 ? f.map(0, size) : nullptr) {
        const QByteArray data =
            QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(size));
        return loadPictureData(data, path);
    }
    return loadPictureData(f.readAll(), path);
}

} // namespace imaging
