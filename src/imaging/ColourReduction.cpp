#include "imaging/ColourReduction.h"

#include <libimagequant.h>

#include <array>
#include <climits>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace imaging {

namespace {

constexpr QRgb kOpaque = 0xff000000u;

// Maps every pixel to its own palette entry when the picture has at most `limit` colours;
// gives up at the first colour past the limit, so a photograph costs a few rows at most.
bool exactPalette(const QImage& rgb, int limit, QImage& out) {
    // Open addressing, at most a quarter full. Keys always carry full alpha, so 0 is free.
    constexpr int kBits = 10;
    constexpr quint32 kMask = (1u << kBits) - 1;
    std::array<QRgb, 1u << kBits> keys{};
    std::array<uchar, 1u << kBits> entry{};
    QList<QRgb> table;
    out = QImage(rgb.size(), QImage::Format_Indexed8);
    if (out.isNull())
        return false;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* d = out.scanLine(y);
        QRgb lastKey = 0;
        uchar lastIndex = 0;
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb key = s[x] | kOpaque;
            if (key != lastKey) {
                quint32 h = (key * 0x9E3779B1u) >> (32 - kBits);
                while (keys[h] != 0 && keys[h] != key)
                    h = (h + 1) & kMask;
                if (keys[h] == 0) {
                    if (table.size() == limit)
                        return false;
                    keys[h] = key;
                    entry[h] = uchar(table.size());
                    table.append(key);
                }
                lastKey = key;
                lastIndex = entry[h];
            }
            d[x] = lastIndex;
        }
    }
    out.setColorTable(table);
    return true;
}

uchar nearest(const QList<QRgb>& table, QRgb c) {
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < table.size(); ++i) {
        const int dr = qRed(c) - qRed(table[i]), dg = qGreen(c) - qGreen(table[i]),
                  db = qBlue(c) - qBlue(table[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return uchar(best);
}

// Each pixel takes its nearest palette colour; the sum of the squared distances is returned.
// Screens repeat few colours, so a cache of the colours already seen makes nearly every pixel
// a lookup: faster on an 8K capture than the library's own undithered remapping, and as close
// to the picture (measured).
qint64 remapNearest(const QImage& rgb, const QList<QRgb>& table, QImage& out) {
    constexpr int kBits = 18;
    std::vector<QRgb> keys(size_t(1) << kBits, 0);
    std::vector<uchar> cached(size_t(1) << kBits, 0);
    std::vector<int> distance(size_t(1) << kBits, 0);
    const int width = rgb.width(), height = rgb.height();
    qint64 total = 0;
    for (int y = 0; y < height; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* d = out.scanLine(y);
        QRgb lastKey = 0;
        uchar lastIndex = 0;
        int lastDistance = 0;
        for (int x = 0; x < width; ++x) {
            const QRgb key = s[x] | kOpaque;
            if (key != lastKey) {
                const quint32 h = (key * 0x9E3779B1u) >> (32 - kBits);
                if (keys[h] != key) {
                    keys[h] = key;
                    cached[h] = nearest(table, key);
                    const QRgb c = table[cached[h]];
                    const int dr = qRed(key) - qRed(c), dg = qGreen(key) - qGreen(c),
                              db = qBlue(key) - qBlue(c);
                    distance[h] = dr * dr + dg * dg + db * db;
                }
                lastKey = key;
                lastIndex = cached[h];
                lastDistance = distance[h];
            }
            d[x] = lastIndex;
            total += lastDistance;
        }
    }
    return total;
}

struct LiqFree {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};
template <class T> using LiqPtr = std::unique_ptr<T, LiqFree>;

void rgbaRow(liq_color rowOut[], int row, int width, void* user) {
    const auto* img = static_cast<const QImage*>(user);
    const auto* s = reinterpret_cast<const QRgb*>(img->constScanLine(row));
    for (int x = 0; x < width; ++x)
        rowOut[x] = {uchar(qRed(s[x])), uchar(qGreen(s[x])), uchar(qBlue(s[x])), 255};
}

// Every stride-th row of a picture, for remapping a sample of a large one.
struct RowSample {
    const QImage* image;
    int stride;
};

void sampledRow(liq_color rowOut[], int row, int width, void* user) {
    const auto* sample = static_cast<const RowSample*>(user);
    rgbaRow(rowOut, row * sample->stride, width, const_cast<QImage*>(sample->image));
}

QImage adaptivePalette(const QImage& rgb, int maxColours, bool dither) {
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), maxColours) != LIQ_OK)
        return {};
    // pngquant's own speed: on real screenshots speed 8 lost 1 to 2.5 dB against it, for a
    // third less time; the slower settings gain a tenth of one at several times the cost.
    liq_set_speed(attr.get(), 4);
    // Rows are read through the callback: no RGBA copy of a large capture.
    LiqPtr<liq_image> image(liq_image_create_custom(attr.get(), rgbaRow, const_cast<QImage*>(&rgb),
                                                    rgb.width(), rgb.height(), 0.0));
    if (!image)
        return {};
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK || !raw)
        return {};
    LiqPtr<liq_result> result(raw);

    QImage out(rgb.size(), QImage::Format_Indexed8);
    if (out.isNull())
        return {};
    auto tableOf = [](const liq_palette* pal) {
        QList<QRgb> table;
        table.reserve(int(pal->count));
        for (unsigned i = 0; i < pal->count; ++i)
            table.append(qRgb(pal->entries[i].r, pal->entries[i].g, pal->entries[i].b));
        return table;
    };
    std::vector<unsigned char*> rows(size_t(out.height()));
    for (int y = 0; y < out.height(); ++y)
        rows[size_t(y)] = out.scanLine(y);
    liq_set_dithering_level(result.get(), 1.0f);
    if (!dither) {
        // The library refines its palette while it remaps, and a dithered remapping moves the
        // entries to where the picture's colours are; each pixel then takes its nearest colour
        // of whichever palette comes closer, so flat areas get no noise.
        const QList<QRgb> first = tableOf(liq_get_palette(result.get()));
        qint64 firstError = -1;
        {
            // The first palette's remapping runs beside the sample's.
            std::jthread helper([&] {
                try {
                    firstError = remapNearest(rgb, first, out);
                } catch (const std::bad_alloc&) {
                }
            });
            // On a large picture a sample of its rows moves the palette as well, at a fraction
            // of the cost of a dithered remapping of every row.
            RowSample sample{&rgb,
                             std::max(1, int(qint64(rgb.width()) * rgb.height() / (2 << 20)))};
            const int sampledRows = (rgb.height() + sample.stride - 1) / sample.stride;
            LiqPtr<liq_image> sampled(liq_image_create_custom(attr.get(), sampledRow, &sample,
                                                              rgb.width(), sampledRows, 0.0));
            QImage scratch(rgb.width(), sampledRows, QImage::Format_Indexed8);
            if (!sampled || scratch.isNull())
                return {};
            for (int y = 0; y < sampledRows; ++y)
                rows[size_t(y)] = scratch.scanLine(y);
            if (liq_write_remapped_image_rows(result.get(), sampled.get(), rows.data()) != LIQ_OK)
                return {};
        }
        if (firstError < 0)
            return {};
        const QList<QRgb> second = tableOf(liq_get_palette(result.get()));
        QImage refined(rgb.size(), QImage::Format_Indexed8);
        if (refined.isNull())
            return {};
        if (second != first && remapNearest(rgb, second, refined) < firstError) {
            refined.setColorTable(second);
            return refined;
        }
        out.setColorTable(first);
        return out;
    }
    if (liq_write_remapped_image_rows(result.get(), image.get(), rows.data()) != LIQ_OK)
        return {};
    // The palette is final only after remapping.
    out.setColorTable(tableOf(liq_get_palette(result.get())));
    return out;
}

} // namespace

// Screen content is drawn in flat runs: in user-interface pictures most pixels repeat their
// left neighbour, in photographs (and photo-like renderings) few do. Dithering a flat area
// whose colour is not in the palette only scatters noise over it, so a picture is dithered
// only when fewer than half of the sampled pixels repeat their left neighbour. About a
// million pixels are sampled, in rows spread over the picture.
bool looksPhotographic(const QImage& src) {
    if (src.isNull() || src.width() < 2)
        return false;
    const QImage rgb = src.convertToFormat(QImage::Format_RGB32);
    const int rowsWanted = qBound(1, (1 << 20) / rgb.width(), rgb.height());
    const int step = rgb.height() / rowsWanted;
    qint64 same = 0, total = 0;
    for (int y = step / 2; y < rgb.height(); y += step) {
        const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 1; x < rgb.width(); ++x)
            same += ((s[x] ^ s[x - 1]) & ~kOpaque) == 0;
        total += rgb.width() - 1;
    }
    return same * 2 < total;
}

QImage reduceColours(const QImage& src, int maxColours, Dither dither) {
    if (src.isNull() || maxColours < 2 || maxColours > 256)
        return {};
    const QImage rgb = src.convertToFormat(QImage::Format_RGB32);
    QImage out;
    if (!exactPalette(rgb, maxColours, out)) {
        const bool dithered =
            dither == Dither::Always || (dither == Dither::Auto && looksPhotographic(rgb));
        out = adaptivePalette(rgb, maxColours, dithered);
    }
    if (out.isNull())
        return {};
    out.setDotsPerMeterX(src.dotsPerMeterX());
    out.setDotsPerMeterY(src.dotsPerMeterY());
    return out;
}

} // namespace imaging
