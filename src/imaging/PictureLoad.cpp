#include "imaging/DepthCode.h"
#include "imaging/Jp2Codec.h"
#include "imaging/PcxCodec.h"
#include "imaging/PictureBudget.h"
#include "imaging/PictureFiles.h"
#include "imaging/PictureReaders.h"
#include "platform/FileSystem.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
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
    return 0;
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
    BoundedImageReader reader(&buf, QFileInfo(nameHint).suffix().toLower().toLatin1());
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
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
    r.picture = convertToDepthCode(img, r.depthCode);
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
    for (auto reader : {readBmpDirect, readPngDirect, readGifDirect}) {
        DecodedPicture direct = reader(data.constData(), data.size());
        if (!direct.error.isEmpty())
            return failed(kCannotRead + QStringLiteral(": ") + direct.error);
        if (!direct.image.isNull()) {
            LoadedPicture r;
            r.ok = true;
            r.picture = std::move(direct.image);
            r.depthCode = direct.depthCode;
            r.dpiX = direct.dpiX;
            r.dpiY = direct.dpiY;
            return r;
        }
    }
    if (looksLikePcx(data.constData(), data.size())) {
        PcxPicture pcx = readPcx(data.constData(), data.size());
        if (pcx.image.isNull())
            return failed(kCannotRead + QStringLiteral(": PCX") +
                          (pcx.error.isEmpty() ? QString() : u' ' + pcx.error));
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
    QFile f;
    QString why;
    if (!platform::openRegularFile(f, path, &why))
        return failed(QStringLiteral("開けません: %1\n%2").arg(path, why));
    // No picture within the budget needs a larger file, even uncompressed.
    const qint64 size = f.size();
    if (size > kMaxPictureFileBytes)
        return failed(QStringLiteral("ﾌｧｲﾙが大きすぎます（%1 MB）。開けるのは %2 MB までです: %3")
                          .arg(size >> 20)
                          .arg(kMaxPictureFileBytes >> 20)
                          .arg(path));
    // Mapped rather than read: a large bitmap is decoded straight from the page cache.
    if (uchar* mapped = size > 0 ? f.map(0, size) : nullptr) {
        const QByteArray data =
            QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(size));
        return loadPictureData(data, path);
    }
    return loadPictureData(f.readAll(), path);
}

} // namespace imaging
