#include "imaging/PngRows.h"

#include <QtEndian>

#include <libdeflate.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace imaging {

unsigned char* ScratchBuffer::reserve(std::size_t n) {
    if (n > m_size) {
        m_data.reset(); // the old block goes before the new one is taken
        m_size = 0;
        m_data.reset(new unsigned char[n]);
        m_size = n;
    }
    return m_data.get();
}

void ScratchBuffer::release() {
    m_data.reset();
    m_size = 0;
}

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kMaxSide = 16384;

struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// Undoes one row's filter in place; prior is the row above, already undone (null for the
// first row).
bool unfilter(unsigned char kind, unsigned char* row, const unsigned char* prior, qsizetype n,
              int bpp) {
    switch (kind) {
    case 0:
        return true;
    case 1:
        for (qsizetype i = bpp; i < n; ++i)
            row[i] = static_cast<unsigned char>(row[i] + row[i - bpp]);
        return true;
    case 2:
        if (prior)
            for (qsizetype i = 0; i < n; ++i)
                row[i] = static_cast<unsigned char>(row[i] + prior[i]);
        return true;
    case 3:
        for (qsizetype i = 0; i < n; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int up = prior ? prior[i] : 0;
            row[i] = static_cast<unsigned char>(row[i] + ((left + up) >> 1));
        }
        return true;
    case 4:
        if (!prior) { // nothing above: Paeth is the left neighbour
            for (qsizetype i = bpp; i < n; ++i)
                row[i] = static_cast<unsigned char>(row[i] + row[i - bpp]);
            return true;
        }
        for (qsizetype i = 0; i < bpp; ++i)
            row[i] = static_cast<unsigned char>(row[i] + prior[i]);
        for (qsizetype i = bpp; i < n; ++i)
            row[i] =
                static_cast<unsigned char>(row[i] + paeth(row[i - bpp], prior[i], prior[i - bpp]));
        return true;
    default:
        return false;
    }
}

PngDecode broken(QString* why, const char* text) {
    if (why)
        *why = QString::fromLatin1(text);
    return PngDecode::Broken;
}

} // namespace

PngDecode inflatePngRows(QByteArrayView png, PngBuffers& buffers, PngRows& out, QString* why) {
    const auto* p = reinterpret_cast<const unsigned char*>(png.data());
    const qsizetype size = png.size();
    if (size < 8 + 25 || std::memcmp(p, kSignature, 8) != 0 ||
        std::memcmp(p + 12, "IHDR", 4) != 0 || qFromBigEndian<quint32>(p + 8) != 13)
        return PngDecode::Other;
    const quint32 w = qFromBigEndian<quint32>(p + 16), h = qFromBigEndian<quint32>(p + 20);
    const int depth = p[24], colour = p[25];
    if (depth != 8 || (colour != 2 && colour != 6) || p[26] != 0 || p[27] != 0 || p[28] != 0)
        return PngDecode::Other;
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide)
        return PngDecode::Other;
    if (libdeflate_crc32(0, p + 12, 17) != qFromBigEndian<quint32>(p + 29))
        return broken(why, "IHDR: CRC error");

    // The chunks up to the end: the image data is checked and its pieces counted.
    struct Chunk {
        const unsigned char* type;
        const unsigned char* data;
        quint32 length;
    };
    auto walk = [&](auto&& visit) -> bool {
        for (qsizetype at = 33; at + 12 <= size;) {
            const quint32 length = qFromBigEndian<quint32>(p + at);
            if (length > quint32(size - at - 12))
                return false;
            const Chunk c{p + at + 4, p + at + 8, length};
            if (std::memcmp(c.type, "IEND", 4) == 0)
                break;
            visit(c);
            at += 12 + qsizetype(length);
        }
        return true;
    };
    const unsigned char* packed = nullptr;
    std::size_t packedSize = 0;
    int pieces = 0;
    bool badCrc = false, other = false;
    int dpmX = 0, dpmY = 0;
    if (!walk([&](const Chunk& c) {
            if (std::memcmp(c.type, "IDAT", 4) == 0) {
                badCrc = badCrc || libdeflate_crc32(0, c.type, c.length + 4) !=
                                       qFromBigEndian<quint32>(c.data + c.length);
                packed = c.data;
                packedSize += c.length;
                ++pieces;
            } else if (std::memcmp(c.type, "pHYs", 4) == 0 && c.length == 9 && c.data[8] == 1) {
                dpmX = int(std::min<quint32>(qFromBigEndian<quint32>(c.data), INT_MAX));
                dpmY = int(std::min<quint32>(qFromBigEndian<quint32>(c.data + 4), INT_MAX));
            } else if (std::memcmp(c.type, "tRNS", 4) == 0 ||
                       (!(c.type[0] & 0x20) && std::memcmp(c.type, "PLTE", 4) != 0)) {
                // A colour key makes pixels transparent; an unknown critical chunk changes
                // what the data means: both for the general readers.
                other = true;
            }
        }))
        return broken(why, "truncated chunk");
    if (other)
        return PngDecode::Other;
    if (badCrc)
        return broken(why, "IDAT: CRC error");
    if (pieces == 0)
        return broken(why, "no image data");
    if (pieces > 1) {
        unsigned char* into = buffers.packed.reserve(packedSize);
        std::size_t filled = 0;
        walk([&](const Chunk& c) {
            if (std::memcmp(c.type, "IDAT", 4) == 0) {
                std::memcpy(into + filled, c.data, c.length);
                filled += c.length;
            }
        });
        packed = into;
    }

    const int bpp = colour == 6 ? 4 : 3;
    const qsizetype rowBytes = qsizetype(w) * bpp;
    const std::size_t total = std::size_t(rowBytes + 1) * h;
    unsigned char* rows = buffers.rows.reserve(total);
    static thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> inflater(
        libdeflate_alloc_decompressor());
    if (!inflater)
        throw std::bad_alloc();
    if (libdeflate_zlib_decompress(inflater.get(), packed, packedSize, rows, total, nullptr) !=
        LIBDEFLATE_SUCCESS)
        return broken(why, "the image data does not inflate to the picture's size");
    // Known filters only: unfiltering, perhaps done while the rows are written, cannot fail.
    for (quint32 y = 0; y < h; ++y)
        if (rows[std::size_t(rowBytes + 1) * y] > 4)
            return broken(why, "unknown row filter");
    out.width = int(w);
    out.height = int(h);
    out.channels = bpp;
    out.stride = rowBytes + 1;
    out.first = rows + 1;
    out.dotsPerMeterX = dpmX;
    out.dotsPerMeterY = dpmY;
    return PngDecode::Done;
}

void unfilterPngRows(const PngRows& rows, int from, int to) {
    const qsizetype n = qsizetype(rows.width) * rows.channels;
    for (int y = from; y < to; ++y) {
        unsigned char* row = rows.row(y);
        unfilter(row[-1], row, y > 0 ? rows.row(y - 1) : nullptr, n, rows.channels);
    }
}

PngDecode decodePngRows(QByteArrayView png, PngBuffers& buffers, PngRows& out, QString* why) {
    const PngDecode d = inflatePngRows(png, buffers, out, why);
    if (d == PngDecode::Done)
        unfilterPngRows(out, 0, out.height);
    return d;
}

QImage imageOfRows(const PngRows& rows, bool keepAlpha) {
    const bool alpha = keepAlpha && rows.channels == 4;
    QImage img(rows.width, rows.height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (img.isNull())
        return {};
    for (int y = 0; y < rows.height; ++y) {
        const unsigned char* s = rows.row(y);
        auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        if (alpha) {
            for (int x = 0; x < rows.width; ++x, s += 4)
                d[x] = qRgba(s[0], s[1], s[2], s[3]);
        } else {
            for (int x = 0; x < rows.width; ++x, s += rows.channels)
                d[x] = qRgb(s[0], s[1], s[2]);
        }
    }
    if (rows.dotsPerMeterX > 0 && rows.dotsPerMeterY > 0) {
        img.setDotsPerMeterX(rows.dotsPerMeterX);
        img.setDotsPerMeterY(rows.dotsPerMeterY);
    }
    return img;
}

} // namespace imaging
