#include "imaging/PaletteFit.h"

#include "imaging/ColourReduction.h"
#include "imaging/DepthCode.h"

#include <QHash>

#include <cstring>
#include <new>

#include <algorithm>
#include <array>
#include <vector>

namespace imaging {

namespace {

int indexAt(const QImage& img, int x, int y) {
    return img.depth() == 8 ? img.constScanLine(y)[x] : img.pixelIndex(x, y);
}

// Nearest palette entry, remembered per 5-bit colour cell: error diffusion visits many
// colours, but few cells.
class Nearest {
public:
    explicit Nearest(const QList<QRgb>& palette) : m_palette(palette) {
        m_cache.fill(-1);
        for (int i = int(palette.size()) - 1; i >= 0; --i)
            m_exact.insert(palette[i] & 0xffffffu, i);
    }
    int operator()(int r, int g, int b) {
        // A colour of the palette always maps to itself, whatever its cell holds.
        if (const auto it = m_exact.constFind(uint(qRgb(r, g, b)) & 0xffffffu);
            it != m_exact.constEnd())
            return it.value();
        const int cell = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        if (m_cache[size_t(cell)] >= 0)
            return m_cache[size_t(cell)];
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < m_palette.size(); ++i) {
            const long dr = qRed(m_palette[i]) - r, dg = qGreen(m_palette[i]) - g,
                       db = qBlue(m_palette[i]) - b;
            const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (bestDistance < 0 || d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        m_cache[size_t(cell)] = best;
        return best;
    }

private:
    const QList<QRgb>& m_palette;
    QHash<uint, int> m_exact;
    std::array<int, 32768> m_cache;
};

} // namespace

QImage fitIntoPalette(const QImage& src, const QRect& region, const QImage& partIn, int maxColours,
                      bool grey) {
    QImage part = grey ? convertToDepthCode(partIn, 80).convertToFormat(QImage::Format_RGB32)
                       : partIn.convertToFormat(QImage::Format_RGB32);
    if (part.isNull())
        return {};
    // The colours used outside the region keep their places in the new palette.
    std::vector<bool> used(size_t(std::max(src.colorCount(), 1)), false);
    for (int y = 0; y < src.height(); ++y) {
        const bool rowInside = y >= region.top() && y <= region.bottom();
        for (int x = 0; x < src.width(); ++x)
            if (!rowInside || x < region.left() || x > region.right())
                used[size_t(indexAt(src, x, y))] = true;
    }
    QList<QRgb> palette;
    std::vector<int> oldToNew(used.size(), 0);
    for (size_t i = 0; i < used.size(); ++i) {
        if (!used[i])
            continue;
        const QRgb c = src.color(int(i)) | 0xff000000u;
        const qsizetype at = palette.indexOf(c);
        oldToNew[i] = int(at >= 0 ? at : palette.size());
        if (at < 0)
            palette << c;
    }
    // The part's colours while they fit; an adaptive palette of them when they do not.
    QList<QRgb> partColours;
    for (int y = 0; y < part.height() && partColours.size() <= maxColours; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(part.constScanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            const QRgb c = line[x] | 0xff000000u;
            if (!palette.contains(c) && !partColours.contains(c)) {
                partColours << c;
                if (palette.size() + partColours.size() > maxColours)
                    break;
            }
        }
    }
    const int room = maxColours - int(palette.size());
    if (int(partColours.size()) <= room) {
        palette << partColours;
    } else if (room >= 2) {
        const QImage chosen = reduceColours(part, room, Dither::Never);
        if (chosen.isNull())
            return {};
        for (QRgb c : chosen.colorTable())
            if (!palette.contains(c | 0xff000000u))
                palette << (c | 0xff000000u);
    }
    if (palette.isEmpty())
        palette << qRgb(0, 0, 0);

    QImage out(src.size(), src.format());
    if (out.isNull())
        return {};
    out.setDotsPerMeterX(src.dotsPerMeterX());
    out.setDotsPerMeterY(src.dotsPerMeterY());
    QList<QRgb> table = palette;
    if (out.format() == QImage::Format_Mono || out.format() == QImage::Format_MonoLSB)
        while (table.size() < 2)
            table << table.front();
    out.setColorTable(table);
    const bool bytes = out.depth() == 8;
    auto put = [&](int x, int y, int index) {
        if (bytes)
            out.scanLine(y)[x] = uchar(index);
        else
            out.setPixel(x, y, uint(index));
    };
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (!region.contains(x, y))
                put(x, y, oldToNew[size_t(indexAt(src, x, y))]);

    // Floyd-Steinberg inside the region; colours of the palette carry no error.
    Nearest nearest(palette);
    const int w = part.width();
    std::vector<std::array<int, 3>> errNow(size_t(w) + 2, {0, 0, 0}),
        errNext(size_t(w) + 2, {0, 0, 0});
    for (int y = 0; y < part.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(part.constScanLine(y));
        std::fill(errNext.begin(), errNext.end(), std::array<int, 3>{0, 0, 0});
        for (int x = 0; x < w; ++x) {
            const std::array<int, 3>& e = errNow[size_t(x) + 1];
            const int want[3] = {std::clamp(qRed(line[x]) + e[0] / 16, 0, 255),
                                 std::clamp(qGreen(line[x]) + e[1] / 16, 0, 255),
                                 std::clamp(qBlue(line[x]) + e[2] / 16, 0, 255)};
            const int index = nearest(want[0], want[1], want[2]);
            put(region.left() + x, region.top() + y, index);
            const QRgb got = palette[index];
            const int err[3] = {want[0] - qRed(got), want[1] - qGreen(got), want[2] - qBlue(got)};
            for (int c = 0; c < 3; ++c) {
                errNow[size_t(x) + 2][size_t(c)] += err[c] * 7;
                errNext[size_t(x)][size_t(c)] += err[c] * 3;
                errNext[size_t(x) + 1][size_t(c)] += err[c] * 5;
                errNext[size_t(x) + 2][size_t(c)] += err[c];
            }
        }
        std::swap(errNow, errNext);
    }
    return out;
}

void copyPixels(const QImage& src, const QRect& from, QImage& dst, const QPoint& to) {
    if (from.isEmpty())
        return;
    if (src.depth() >= 8) {
        const int bpp = src.depth() / 8;
        const qsizetype dstLine = dst.bytesPerLine();
        uchar* d = dst.bits();
        for (int r = 0; r < from.height(); ++r)
            std::memcpy(d + (to.y() + r) * dstLine + to.x() * bpp,
                        src.constScanLine(from.y() + r) + from.x() * bpp,
                        size_t(from.width()) * bpp);
        return;
    }
    for (int r = 0; r < from.height(); ++r)
        for (int c = 0; c < from.width(); ++c)
            dst.setPixel(to.x() + c, to.y() + r, uint(src.pixelIndex(from.x() + c, from.y() + r)));
}

QImage replaceRegion(const QImage& src, int depthCode, const QRect& region, const QImage& part) {
    if (src.format() == QImage::Format_Indexed8 || src.depth() == 1) {
        // A palette rarely holds the new colours: they join it where there is room and are
        // dithered where there is not, so the change shows at every depth.
        const int colours = depthCode == 1 ? 2 : (depthCode == 4 || depthCode == 40) ? 16 : 256;
        QImage out = fitIntoPalette(src, region, part, colours, isGreyDepthCode(depthCode));
        if (out.isNull())
            throw std::bad_alloc();
        return out;
    }
    const QImage back = part.convertToFormat(src.format());
    QImage out = src;
    if (back.isNull() || out.bits() == nullptr) // bits() detaches: the copy written into
        throw std::bad_alloc();
    copyPixels(back, back.rect(), out, region.topLeft());
    return out;
}

} // namespace imaging
