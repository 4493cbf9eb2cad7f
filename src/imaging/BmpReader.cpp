#include "imaging/PictureReaders.h"

#include "imaging/PictureBudget.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace imaging {

namespace {

bool greyTable(const QList<QRgb>& t) {
    for (QRgb c : t)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

} // namespace

DecodedPicture readBmpDirect(const char* data, qsizetype size) {
    DecodedPicture out;
    const auto* p = reinterpret_cast<const uchar*>(data);
    if (size < 54 || p[0] != 'B' || p[1] != 'M')
        return out;
    const quint32 offset = qFromLittleEndian<quint32>(p + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    const qint32 w = qFromLittleEndian<qint32>(p + 18);
    const qint32 rawH = qFromLittleEndian<qint32>(p + 22);
    const int bits = qFromLittleEndian<quint16>(p + 28);
    const quint32 compression = qFromLittleEndian<quint32>(p + 30);
    if (headerSize < 40 || compression != 0 || (bits != 8 && bits != 24 && bits != 32))
        return out;
    const bool topDown = rawH < 0;
    const qint64 h = topDown ? -qint64(rawH) : rawH;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return out;
    out.error = budgetProblem(w, h, bits);
    if (!out.error.isEmpty())
        return out;
    const qint64 rowBytes = ((qint64(w) * bits + 31) / 32) * 4;
    if (offset > quint64(size) || qint64(offset) + rowBytes * h > size)
        return out;

    QList<QRgb> table;
    if (bits == 8) {
        quint32 used = qFromLittleEndian<quint32>(p + 46);
        if (used == 0 || used > 256)
            used = 256;
        const qint64 at = 14 + qint64(headerSize);
        if (at + 4 * qint64(used) > offset)
            return out;
        for (quint32 i = 0; i < used; ++i)
            table.append(qRgb(p[at + 4 * i + 2], p[at + 4 * i + 1], p[at + 4 * i]));
    }
    QImage img(w, int(h),
               bits == 8    ? QImage::Format_Indexed8
               : bits == 24 ? QImage::Format_RGB888
                            : QImage::Format_RGB32);
    if (img.isNull())
        return out;
    if (bits == 8)
        img.setColorTable(table);
    for (int y = 0; y < int(h); ++y) {
        const uchar* s = p + offset + rowBytes * (topDown ? y : h - 1 - y);
        uchar* d = img.scanLine(y);
        if (bits == 8) {
            std::memcpy(d, s, size_t(w));
            // Indexes past the table would read outside it.
            for (int x = 0; x < w; ++x)
                if (d[x] >= table.size())
                    d[x] = 0;
        } else if (bits == 24) {
            for (int x = 0; x < w; ++x, s += 3, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        } else {
            auto* px = reinterpret_cast<QRgb*>(d);
            for (int x = 0; x < w; ++x)
                px[x] = qFromLittleEndian<quint32>(s + 4 * x) | 0xFF000000u;
        }
    }
    out.depthCode = bits == 8 ? (greyTable(table) ? 80 : 8) : bits;
    if (out.depthCode == 80)
        img = img.convertToFormat(QImage::Format_Grayscale8);
    const qint32 dpmX = qFromLittleEndian<qint32>(p + 38), dpmY = qFromLittleEndian<qint32>(p + 42);
    if (dpmX > 0 && dpmY > 0) {
        img.setDotsPerMeterX(dpmX);
        img.setDotsPerMeterY(dpmY);
        out.dpiX = int(std::lround(dpmX * 0.0254));
        out.dpiY = int(std::lround(dpmY * 0.0254));
    }
    out.image = std::move(img);
    return out;
}

} // namespace imaging
