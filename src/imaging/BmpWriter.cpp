#include "imaging/BmpWriter.h"

#include "imaging/DepthCode.h"

#include <QByteArray>
#include <QFileDevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <sys/uio.h>
#endif

namespace imaging {

namespace {

void put16(QByteArray& b, quint16 v) {
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, quint32 v) {
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

struct Layout {
    int bits = 0;
    bool bitfields = false;
    QList<QRgb> palette;
};

// The file header, the information header, the masks and the palette.
bool writeHeader(QIODevice& dev, int w, int h, const Layout& lay, qint64 rowBytes, int dpmX,
                 int dpmY) {
    const quint32 paletteBytes = quint32(lay.palette.size()) * 4;
    const quint32 maskBytes = lay.bitfields ? 12 : 0;
    const quint32 offset = 14 + 40 + maskBytes + paletteBytes;
    const qint64 fileSize = offset + rowBytes * h;
    QByteArray head;
    head.reserve(int(offset));
    head.append("BM", 2);
    put32(head, fileSize > 0xFFFFFFFFll ? 0u : quint32(fileSize));
    put32(head, 0);
    put32(head, offset);
    put32(head, 40);
    put32(head, quint32(w));
    put32(head, quint32(h));
    put16(head, 1);
    put16(head, quint16(lay.bits));
    put32(head, lay.bitfields ? 3u : 0u);
    put32(head, quint32(rowBytes * h));
    put32(head, quint32(qMax(0, dpmX)));
    put32(head, quint32(qMax(0, dpmY)));
    put32(head, paletteBytes / 4);
    put32(head, 0);
    if (lay.bitfields) {
        put32(head, 0xF800);
        put32(head, 0x07E0);
        put32(head, 0x001F);
    }
    for (QRgb c : lay.palette) {
        const char bgra[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
        head.append(bgra, 4);
    }
    return dev.write(head) == head.size();
}

// Puts the image into the exact in-memory form its rows are copied from.
QImage prepare(const QImage& src, int code, Layout& lay) {
    lay.bits = bitsOfDepthCode(code);
    QImage img = convertToDepthCode(src, code);
    switch (code) {
    case 1:
        lay.palette = img.colorTable();
        while (lay.palette.size() < 2)
            lay.palette.append(lay.palette.isEmpty() ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        break;
    case 4:
    case 40:
    case 8:
        lay.palette = img.colorTable();
        // A full palette, so that a reader tells 256 colours from 16 and colour from grey
        // by the palette as for any other file. The filler is unused and not grey.
        if (code != 40)
            while (lay.palette.size() < (code == 8 ? 256 : 16))
                lay.palette.append(qRgb(0, 0, 1));
        break;
    case 80: {
        lay.bits = 8;
        lay.palette.reserve(256);
        for (int i = 0; i < 256; ++i)
            lay.palette.append(qRgb(i, i, i));
        break;
    }
    case 16:
        lay.bitfields = true; // 5-6-5 needs explicit masks
        break;
    case 24:
        img = img.convertToFormat(QImage::Format_BGR888);
        break;
    case 32:
        // Bytes of ARGB32 on a little-endian machine are already B, G, R, A.
        if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32)
            img = img.convertToFormat(QImage::Format_ARGB32);
        break;
    default:
        break;
    }
    return img;
}

#ifdef Q_OS_UNIX
// Writes every buffer, following short writes.
bool writeAllv(int fd, iovec* iov, int count) {
    while (count > 0) {
        const ssize_t n = ::writev(fd, iov, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        size_t left = size_t(n);
        while (count > 0 && left >= iov->iov_len) {
            left -= iov->iov_len;
            ++iov;
            --count;
        }
        if (count > 0) {
            iov->iov_base = static_cast<char*>(iov->iov_base) + left;
            iov->iov_len -= left;
        }
    }
    return true;
}

// Rows that are stored as they lie in memory go to a file in a few gathered writes
// straight from the picture: as fast as writing one ready buffer.
bool writeRowsGathered(QIODevice& dev, const QImage& img, qint64 rowBytes) {
    auto* file = qobject_cast<QFileDevice*>(&dev);
    if (!file || file->handle() < 0 || !file->flush())
        return false;
    const int fd = file->handle();
    std::vector<iovec> iov;
    iov.reserve(IOV_MAX);
    for (int y = img.height() - 1; y >= 0; --y) {
        iov.push_back({const_cast<uchar*>(img.constScanLine(y)), size_t(rowBytes)});
        if (iov.size() == size_t(IOV_MAX) || y == 0) {
            if (!writeAllv(fd, iov.data(), int(iov.size())))
                return false;
            iov.clear();
        }
    }
    // Keep the device's position in step with what went past it.
    return file->seek(file->size());
}
#endif

} // namespace

void bgrFromRgb32(const uchar* rgb32, uchar* bgr, int width) {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // The bytes of each pixel are already blue, green, red and one more: four are copied and
    // the fourth is overwritten by the next pixel (or lands in the byte the caller allows
    // past the row).
    for (int x = 0; x < width; ++x)
        std::memcpy(bgr + 3 * x, rgb32 + 4 * x, 4);
#else
    const auto* s = reinterpret_cast<const QRgb*>(rgb32);
    for (int x = 0; x < width; ++x, bgr += 3) {
        bgr[0] = uchar(qBlue(s[x]));
        bgr[1] = uchar(qGreen(s[x]));
        bgr[2] = uchar(qRed(s[x]));
    }
#endif
}

void bgrFromRgb(const uchar* rgb, uchar* bgr, int width, int channels) {
    for (int x = 0; x < width; ++x, rgb += channels, bgr += 3) {
        bgr[0] = rgb[2];
        bgr[1] = rgb[1];
        bgr[2] = rgb[0];
    }
}

bool writeBmp24(QIODevice& dev, QSize size, int dotsPerMeterX, int dotsPerMeterY,
                const std::function<void(int y, uchar* bgr)>& fill, RowOrder order) {
    const int w = size.width(), h = size.height();
    if (w <= 0 || h <= 0)
        return false;
    Layout lay;
    lay.bits = 24;
    const qint64 rowBytes = ((qint64(w) * 24 + 31) / 32) * 4;
    if (!writeHeader(dev, w, h, lay, rowBytes, dotsPerMeterX, dotsPerMeterY))
        return false;
    const qint64 start = dev.pos();
    // About a megabyte at a time: few writes, and the block stays in the cache while it is
    // filled. Kept for the next picture written on this thread.
    const int perBlock = int(std::clamp<qint64>((qint64(1) << 20) / rowBytes, 1, h));
    static thread_local std::vector<uchar> block;
    block.resize(size_t(perBlock * rowBytes + 4)); // a converter may store a byte past a row
    // Blocks of rows top .. top + n - 1; in the file the lowest of them comes first.
    auto put = [&](int top, int n) {
        for (int i = 0; i < n; ++i) {
            uchar* row = block.data() + i * rowBytes;
            fill(top + n - 1 - i, row);
            std::memset(row + 3 * qint64(w), 0, size_t(rowBytes - 3 * qint64(w)));
        }
        const qint64 bytes = n * rowBytes;
        return dev.write(reinterpret_cast<const char*>(block.data()), bytes) == bytes;
    };
    if (order == RowOrder::BottomUp) {
        for (int end = h; end > 0; end -= perBlock)
            if (!put(std::max(0, end - perBlock), std::min(perBlock, end)))
                return false;
        return true;
    }
    for (int top = 0; top < h; top += perBlock) {
        const int n = std::min(perBlock, h - top);
        if (!dev.seek(start + qint64(h - top - n) * rowBytes) || !put(top, n))
            return false;
    }
    return dev.seek(start + qint64(h) * rowBytes);
}

bool writeBmp(QIODevice& dev, const QImage& image, int depthCode) {
    if (image.isNull() || !isDepthCode(depthCode))
        return false;
    // True colour to 24 bits row by row: no converted copy of a large picture.
    if (depthCode == 24) {
        const QImage::Format f = image.format();
        const int w = image.width();
        if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32)
            return writeBmp24(
                dev, image.size(), image.dotsPerMeterX(), image.dotsPerMeterY(),
                [&](int y, uchar* bgr) { bgrFromRgb32(image.constScanLine(y), bgr, w); });
        if (f == QImage::Format_RGB888)
            return writeBmp24(
                dev, image.size(), image.dotsPerMeterX(), image.dotsPerMeterY(),
                [&](int y, uchar* bgr) { bgrFromRgb(image.constScanLine(y), bgr, w, 3); });
    }
    Layout lay;
    const QImage img = prepare(image, depthCode, lay);
    if (img.isNull())
        return false;
    const int w = img.width();
    const int h = img.height();
    const qint64 rowBytes = ((qint64(w) * lay.bits + 31) / 32) * 4;
    if (!writeHeader(dev, w, h, lay, rowBytes, img.dotsPerMeterX(), img.dotsPerMeterY()))
        return false;

    const qint64 srcRowBytes = (qint64(w) * img.depth() + 7) / 8;
#ifdef Q_OS_UNIX
    if (lay.bits != 4 && srcRowBytes == rowBytes && img.bytesPerLine() >= rowBytes &&
        qobject_cast<QFileDevice*>(&dev))
        return writeRowsGathered(dev, img, rowBytes);
#endif
    std::vector<char> row(size_t(rowBytes), 0);
    // Rows go bottom-up. Rows whose in-memory form matches the file are written from the
    // image itself; 4-bit rows are packed into the scratch row first.
    for (int y = h - 1; y >= 0; --y) {
        const uchar* s = img.constScanLine(y);
        if (lay.bits == 4) {
            for (int x = 0; x < w; x += 2) {
                const uchar hi = s[x] & 0x0F;
                const uchar lo = (x + 1 < w) ? (s[x + 1] & 0x0F) : 0;
                row[size_t(x / 2)] = char((hi << 4) | lo);
            }
            if (dev.write(row.data(), rowBytes) != rowBytes)
                return false;
        } else if (srcRowBytes == rowBytes) {
            if (dev.write(reinterpret_cast<const char*>(s), rowBytes) != rowBytes)
                return false;
        } else {
            memcpy(row.data(), s, size_t(srcRowBytes));
            if (dev.write(row.data(), rowBytes) != rowBytes)
                return false;
        }
    }
    return true;
}

} // namespace imaging
