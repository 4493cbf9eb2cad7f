#include "imaging/DepthCode.h"

#include "imaging/ColourReduction.h"

namespace imaging {

bool isDepthCode(int code) {
    switch (code) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
    case 40:
    case 80:
        return true;
    default:
        return false;
    }
}

int bitsOfDepthCode(int code) {
    if (code == 40)
        return 4;
    if (code == 80)
        return 8;
    return code;
}

bool isGreyDepthCode(int code) {
    return code == 40 || code == 80;
}

namespace {

bool isGreyTable(const QList<QRgb>& table) {
    for (QRgb c : table)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

QList<QRgb> greyTable(int levels) {
    QList<QRgb> t;
    t.reserve(levels);
    for (int i = 0; i < levels; ++i) {
        const int v = i * 255 / (levels - 1);
        t.append(qRgb(v, v, v));
    }
    return t;
}

// Grey by the luma of ITU-R BT.709 on the stored values, as screens and the usual tools
// weigh colours (pure red 54, green 182, blue 19). Qt's own conversion weighs light in linear
// intensity, which turns red text on white into a pale grey of 130.
QImage lumaGrey(const QImage& src) {
    if (src.format() == QImage::Format_Grayscale8)
        return src;
    const QImage rgb = src.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.size(), QImage::Format_Grayscale8);
    if (rgb.isNull() || out.isNull())
        return {};
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* d = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            d[x] = uchar((qRed(s[x]) * 54 + qGreen(s[x]) * 183 + qBlue(s[x]) * 19 + 128) >> 8);
    }
    out.setDotsPerMeterX(src.dotsPerMeterX());
    out.setDotsPerMeterY(src.dotsPerMeterY());
    return out;
}

} // namespace

QImage convertToDepthCode(const QImage& src, int code) {
    if (src.isNull())
        return {};
    switch (code) {
    case 1:
        return src.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    case 4:
        if (src.format() == QImage::Format_Indexed8 && src.colorCount() <= 16)
            return src;
        return reduceColours(src, 16);
    case 40: {
        QImage g = lumaGrey(src);
        QImage out(g.size(), QImage::Format_Indexed8);
        out.setColorTable(greyTable(16));
        for (int y = 0; y < g.height(); ++y) {
            const uchar* s = g.constScanLine(y);
            uchar* d = out.scanLine(y);
            for (int x = 0; x < g.width(); ++x)
                d[x] = uchar((s[x] * 15 + 127) / 255);
        }
        out.setDotsPerMeterX(src.dotsPerMeterX());
        out.setDotsPerMeterY(src.dotsPerMeterY());
        return out;
    }
    case 8:
        if (src.format() == QImage::Format_Indexed8)
            return src;
        return reduceColours(src, 256);
    case 80:
        return lumaGrey(src);
    case 16:
        return src.convertToFormat(QImage::Format_RGB16);
    case 24:
        return src.convertToFormat(QImage::Format_RGB888);
    case 32:
        return src.convertToFormat(src.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
    default:
        return src;
    }
}

int depthCodeOf(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_Invalid:
        return 0;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Grayscale8:
        return 80;
    case QImage::Format_Indexed8:
        if (image.colorCount() <= 16)
            return isGreyTable(image.colorTable()) && image.colorCount() > 2 ? 40 : 4;
        return isGreyTable(image.colorTable()) ? 80 : 8;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB444:
        return 16;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
        return 24;
    default:
        return 32;
    }
}

} // namespace imaging
