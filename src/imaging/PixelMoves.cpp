#include "imaging/PixelMoves.h"

#include <QThread>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

namespace imaging {

namespace {

// Runs fn(first, end) over bands of [0, rows). Below a few megabytes the threads would cost
// more than they save.
template <class Fn> void inBands(int rows, qsizetype bytes, Fn fn) {
    const int n = bytes < (8 << 20) ? 1 : std::clamp(QThread::idealThreadCount(), 1, 8);
    std::vector<std::thread> helpers;
    const int first = rows / n; // the calling thread takes the first band
    for (int i = 1; i < n; ++i) {
        const int from = int(qint64(rows) * i / n), to = int(qint64(rows) * (i + 1) / n);
        try {
            helpers.emplace_back(fn, from, to);
        } catch (const std::system_error&) {
            fn(from, to); // no thread to be had: this one does the band
        }
    }
    fn(0, first);
    for (std::thread& t : helpers)
        t.join();
}

QImage blankOf(const QImage& src, int width, int height) {
    QImage out(width, height, src.format());
    if (out.isNull())
        return out;
    if (src.colorCount() > 0)
        out.setColorTable(src.colorTable());
    out.setDotsPerMeterX(src.dotsPerMeterX());
    out.setDotsPerMeterY(src.dotsPerMeterY());
    return out;
}

// Result row j is source column j (clockwise, read bottom up) or w-1-j (anticlockwise, top
// down). Tiles of 64 x 64 keep the source rows a tile reads in the first-level cache.
template <int B>
void turnBand(const uchar* s, qsizetype sbpl, int w, int h, uchar* d, qsizetype dbpl,
              bool clockwise, int j0, int j1) {
    constexpr int T = 64;
    for (int jb = j0; jb < j1; jb += T) {
        const int je = std::min(jb + T, j1);
        for (int ib = 0; ib < h; ib += T) {
            const int ie = std::min(ib + T, h);
            for (int j = jb; j < je; ++j) {
                uchar* row = d + j * dbpl;
                if (ib == 0) // the padding at the row's end is written too, as a file keeps it
                    std::memset(row + qsizetype(h) * B, 0, size_t(dbpl - qsizetype(h) * B));
                const uchar* column = s + qsizetype(clockwise ? j : w - 1 - j) * B;
                for (int i = ib; i < ie; ++i)
                    std::memcpy(row + qsizetype(i) * B,
                                column + qsizetype(clockwise ? h - 1 - i : i) * sbpl, B);
            }
        }
    }
}

template <int B>
void mirrorBand(const uchar* s, qsizetype sbpl, int w, int h, uchar* d, qsizetype dbpl,
                bool leftRight, bool topBottom, int y0, int y1) {
    const qsizetype used = qsizetype(w) * B;
    for (int y = y0; y < y1; ++y) {
        const uchar* from = s + qsizetype(topBottom ? h - 1 - y : y) * sbpl;
        uchar* to = d + y * dbpl;
        std::memset(to + used, 0, size_t(dbpl - used));
        if (!leftRight) {
            std::memcpy(to, from, size_t(used));
            continue;
        }
        for (int x = 0; x < w; ++x)
            std::memcpy(to + qsizetype(x) * B, from + qsizetype(w - 1 - x) * B, B);
    }
}

template <class Fn> bool byPixelSize(int depth, Fn fn) {
    switch (depth) {
    case 8:
        fn(std::integral_constant<int, 1>{});
        return true;
    case 16:
        fn(std::integral_constant<int, 2>{});
        return true;
    case 24:
        fn(std::integral_constant<int, 3>{});
        return true;
    case 32:
        fn(std::integral_constant<int, 4>{});
        return true;
    default:
        return false;
    }
}

} // namespace

QImage quarterTurned(const QImage& src, bool clockwise) {
    if (src.isNull() || src.depth() < 8)
        return {};
    QImage out = blankOf(src, src.height(), src.width());
    if (out.isNull())
        return out;
    out.setDotsPerMeterX(src.dotsPerMeterY());
    out.setDotsPerMeterY(src.dotsPerMeterX());
    const uchar* s = src.constBits();
    uchar* d = out.bits();
    const qsizetype sbpl = src.bytesPerLine(), dbpl = out.bytesPerLine();
    const int w = src.width(), h = src.height();
    const bool known = byPixelSize(src.depth(), [&](auto b) {
        inBands(w, out.sizeInBytes(), [&](int j0, int j1) {
            turnBand<decltype(b)::value>(s, sbpl, w, h, d, dbpl, clockwise, j0, j1);
        });
    });
    return known ? out : QImage();
}

QImage mirroredPixels(const QImage& src, bool leftRight, bool topBottom) {
    if (src.isNull() || src.depth() < 8)
        return {};
    QImage out = blankOf(src, src.width(), src.height());
    if (out.isNull())
        return out;
    const uchar* s = src.constBits();
    uchar* d = out.bits();
    const qsizetype sbpl = src.bytesPerLine(), dbpl = out.bytesPerLine();
    const int w = src.width(), h = src.height();
    const bool known = byPixelSize(src.depth(), [&](auto b) {
        inBands(h, out.sizeInBytes(), [&](int y0, int y1) {
            mirrorBand<decltype(b)::value>(s, sbpl, w, h, d, dbpl, leftRight, topBottom, y0, y1);
        });
    });
    return known ? out : QImage();
}

} // namespace imaging
