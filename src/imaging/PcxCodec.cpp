#include "imaging/PcxCodec.h"

#include "imaging/DepthCode.h"
#include "imaging/PictureBudget.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

constexpr int kHeader = 128;
constexpr int kMaxSide = 16384;

int u16(const uchar* p) {
    return qFromLittleEndian<quint16>(p);
}

QList<QRgb> headerPalette(const uchar* head, int count) {
    QList<QRgb> t;
    bool blank = true;
    for (int i = 0; i < 48; ++i)
        blank = blank && head[16 + i] == 0;
    for (int i = 0; i < count; ++i) {
        const uchar* c = head + 16 + 3 * (i % 16);
        t.append(qRgb(c[0], c[1], c[2]));
    }
    // Old files leave the colours out: black and white, or the classic 16 colours.
    if (blank && count == 2)
        t = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    else if (blank)
        for (int i = 0; i < count; ++i) {
            const int hi = (i & 8) ? 255 : 170, lo = (i & 8) ? 85 : 0;
            t[i] = qRgb((i & 4) ? hi : lo, (i & 2) ? hi : lo, (i & 1) ? hi : lo);
        }
    return t;
}

bool allGrey(const QList<QRgb>& t) {
    for (QRgb c : t)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

// Decodes run-length rows one at a time; runs may cross rows. Past the end of the data
// the rows are zero.
class RleRows {
public:
    RleRows(const uchar* p, const uchar* end, bool rle) : m_p(p), m_end(end), m_rle(rle) {}
    void next(uchar* row, qsizetype n) {
        qsizetype i = 0;
        while (i < n) {
            if (m_left > 0) {
                const qsizetype k = std::min<qsizetype>(m_left, n - i);
                std::memset(row + i, m_value, size_t(k));
                i += k;
                m_left -= int(k);
                continue;
            }
            if (m_p >= m_end) {
                std::memset(row + i, 0, size_t(n - i));
                return;
            }
            const uchar b = *m_p++;
            if (m_rle && b >= 0xC0) {
                m_left = b & 0x3F;
                m_value = m_p < m_end ? *m_p++ : 0;
            } else {
                row[i++] = b;
            }
        }
    }

private:
    const uchar* m_p;
    const uchar* m_end;
    bool m_rle;
    int m_left = 0;
    uchar m_value = 0;
};

} // namespace

bool looksLikePcx(const char* data, qsizetype size) {
    if (size < kHeader)
        return false;
    const auto* h = reinterpret_cast<const uchar*>(data);
    return h[0] == 0x0A && h[1] <= 5 && h[2] <= 1 &&
           (h[3] == 1 || h[3] == 2 || h[3] == 4 || h[3] == 8);
}

PcxPicture readPcx(const char* data, qsizetype size) {
    PcxPicture out;
    if (!looksLikePcx(data, size))
        return out;
    const auto* h = reinterpret_cast<const uchar*>(data);
    const uchar* end = h + size;
    const int bpp = h[3];
    const int planes = h[65];
    const int xmin = u16(h + 4), ymin = u16(h + 6), xmax = u16(h + 8), ymax = u16(h + 10);
    const int bpl = u16(h + 66);
    if (xmax < xmin || ymax < ymin)
        return out;
    const int w = xmax - xmin + 1, h2 = ymax - ymin + 1;
    if (w > kMaxSide || h2 > kMaxSide || planes < 1 || planes > 4)
        return out;
    out.error = budgetProblem(w, h2, planes >= 3 ? 32 : 8);
    if (!out.error.isEmpty())
        return out;
    const bool packed = planes == 1;
    const bool indexedPlanes = bpp == 1; // 1 to 4 planes of one bit: 2 to 16 colours
    if (!(indexedPlanes || (packed && bpp <= 8) || (bpp == 8 && (planes == 3 || planes == 4))))
        return out;
    if (qint64(bpl) * 8 < qint64(w) * bpp)
        return out;
    const qint64 lineBytes = qint64(bpl) * planes;
    const qint64 total = lineBytes * h2;
    const qint64 payload = size - kHeader;
    // A run of two bytes gives at most 63: claims far beyond the data are not a picture.
    if (h[2] == 1 ? payload * 32 < total : payload < total)
        return out;

    std::vector<uchar> line(static_cast<size_t>(lineBytes));
    RleRows rows(h + kHeader, end, h[2] == 1);
    out.dpiX = u16(h + 12);
    out.dpiY = u16(h + 14);

    if (bpp == 8 && planes >= 3) {
        const bool alpha = planes == 4;
        QImage img(w, h2, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
        if (img.isNull())
            return out;
        for (int y = 0; y < h2; ++y) {
            rows.next(line.data(), lineBytes);
            uchar* d = img.scanLine(y);
            const uchar* r = line.data();
            const uchar* g = r + bpl;
            const uchar* b = g + bpl;
            if (alpha) {
                auto* px = reinterpret_cast<QRgb*>(d);
                for (int x = 0; x < w; ++x)
                    px[x] = qRgba(r[x], g[x], b[x], b[bpl + x]);
            } else {
                for (int x = 0; x < w; ++x) {
                    d[3 * x] = r[x];
                    d[3 * x + 1] = g[x];
                    d[3 * x + 2] = b[x];
                }
            }
        }
        out.depthCode = alpha ? 32 : 24;
        out.image = std::move(img);
        return out;
    }

    const int bits = indexedPlanes ? planes : bpp;
    const int colours = 1 << bits;
    QList<QRgb> table;
    if (bits == 8) {
        // 256 colours after the rows, behind a 12; without them, grey.
        if (size >= kHeader + 769 && end[-769] == 0x0C) {
            for (int i = 0; i < 256; ++i) {
                const uchar* c = end - 768 + 3 * i;
                table.append(qRgb(c[0], c[1], c[2]));
            }
        } else {
            for (int i = 0; i < 256; ++i)
                table.append(qRgb(i, i, i));
        }
    } else {
        table = headerPalette(h, colours);
    }

    QImage img(w, h2, bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
    if (img.isNull())
        return out;
    img.setColorTable(table);
    for (int y = 0; y < h2; ++y) {
        rows.next(line.data(), lineBytes);
        uchar* d = img.scanLine(y);
        if (bits == 1) {
            std::memcpy(d, line.data(), size_t((w + 7) / 8));
        } else if (!indexedPlanes) {
            const int perByte = 8 / bpp;
            const int mask = colours - 1;
            for (int x = 0; x < w; ++x) {
                const int shift = 8 - bpp * (x % perByte + 1);
                d[x] = uchar((line[size_t(x / perByte)] >> shift) & mask);
            }
        } else {
            for (int x = 0; x < w; ++x) {
                int v = 0;
                for (int p = 0; p < planes; ++p)
                    v |= ((line[size_t(p * bpl + x / 8)] >> (7 - x % 8)) & 1) << p;
                d[x] = uchar(v);
            }
        }
    }
    const bool grey = allGrey(table);
    if (bits == 1) {
        out.depthCode = 1;
    } else if (bits == 8) {
        out.depthCode = grey ? 80 : 8;
        if (grey)
            img = img.convertToFormat(QImage::Format_Grayscale8);
    } else {
        out.depthCode = grey && bits == 4 ? 40 : 4;
    }
    out.image = std::move(img);
    return out;
}

namespace {

// Appends one plane row, run-length encoded; runs stay within the row.
void encodeRow(QByteArray& out, const uchar* s, int n) {
    int i = 0;
    while (i < n) {
        const uchar v = s[i];
        int run = 1;
        while (i + run < n && run < 63 && s[i + run] == v)
            ++run;
        if (run > 1 || v >= 0xC0)
            out.append(char(0xC0 | run));
        out.append(char(v));
        i += run;
    }
}

} // namespace

bool writePcx(QIODevice& dev, const QImage& image, int depthCode) {
    if (image.isNull() || image.width() > 0xFFFF || image.height() > 0xFFFF)
        return false;
    int code = depthCode;
    if (code != 1 && code != 4 && code != 40 && code != 8 && code != 80)
        code = 24;
    // A 16-colour picture keeps its own colours, grey or not: the header carries them.
    const bool ownColours = (code == 4 || code == 40) &&
                            image.format() == QImage::Format_Indexed8 && image.colorCount() <= 16;
    QImage img = ownColours ? image : convertToDepthCode(image, code);
    if (img.isNull())
        return false;
    const int w = img.width(), h = img.height();
    const int bpp = code == 1 || code == 4 || code == 40 ? 1 : 8;
    const int planes = code == 4 || code == 40 ? 4 : code == 24 ? 3 : 1;
    const int bpl = (((w * bpp + 7) / 8) + 1) & ~1;

    QByteArray head(kHeader, '\0');
    auto* hp = reinterpret_cast<uchar*>(head.data());
    hp[0] = 0x0A;
    hp[1] = 5;
    hp[2] = 1;
    hp[3] = uchar(bpp);
    qToLittleEndian<quint16>(quint16(w - 1), hp + 8);
    qToLittleEndian<quint16>(quint16(h - 1), hp + 10);
    qToLittleEndian<quint16>(quint16(std::lround(img.dotsPerMeterX() * 0.0254)), hp + 12);
    qToLittleEndian<quint16>(quint16(std::lround(img.dotsPerMeterY() * 0.0254)), hp + 14);
    if (code == 1 || code == 4 || code == 40) {
        const QList<QRgb> t = img.colorTable();
        for (int i = 0; i < 16 && i < t.size(); ++i) {
            hp[16 + 3 * i] = uchar(qRed(t[i]));
            hp[17 + 3 * i] = uchar(qGreen(t[i]));
            hp[18 + 3 * i] = uchar(qBlue(t[i]));
        }
    }
    // Readers take a header without colours for black and white or the classic 16: an
    // all-black picture is written as index 0 everywhere, which is black either way.
    const bool allBlack =
        planes != 3 && bpp == 1 && std::all_of(hp + 16, hp + 64, [](uchar c) { return c == 0; });
    hp[65] = uchar(planes);
    qToLittleEndian<quint16>(quint16(bpl), hp + 66);
    qToLittleEndian<quint16>(isGreyDepthCode(code) ? 2 : 1, hp + 68);
    if (dev.write(head) != head.size())
        return false;

    std::vector<uchar> line(size_t(bpl) * planes, 0);
    QByteArray out;
    out.reserve(1 << 20);
    for (int y = 0; y < h; ++y) {
        const uchar* s = img.constScanLine(y);
        if (code == 1) {
            std::memcpy(line.data(), s, size_t((w + 7) / 8));
        } else if (planes == 4) {
            std::fill(line.begin(), line.end(), 0);
            for (int x = 0; x < w; ++x)
                for (int p = 0; p < 4; ++p)
                    if (s[x] >> p & 1)
                        line[size_t(p * bpl + x / 8)] |= uchar(0x80 >> (x % 8));
        } else if (planes == 3) {
            for (int x = 0; x < w; ++x) {
                line[size_t(x)] = s[3 * x];
                line[size_t(bpl + x)] = s[3 * x + 1];
                line[size_t(2 * bpl + x)] = s[3 * x + 2];
            }
        } else {
            std::memcpy(line.data(), s, size_t(w));
        }
        if (allBlack)
            std::fill(line.begin(), line.end(), 0);
        for (int p = 0; p < planes; ++p)
            encodeRow(out, line.data() + size_t(p) * bpl, bpl);
        if (out.size() >= (1 << 20) || y == h - 1) {
            if (dev.write(out) != out.size())
                return false;
            out.resize(0);
        }
    }
    if (code == 8 || code == 80) {
        QByteArray pal(769, '\0');
        pal[0] = 0x0C;
        const QList<QRgb> t = img.colorTable();
        for (int i = 0; i < 256; ++i) {
            const QRgb c = code == 80 ? qRgb(i, i, i) : i < t.size() ? t[i] : qRgb(0, 0, 0);
            pal[1 + 3 * i] = char(qRed(c));
            pal[2 + 3 * i] = char(qGreen(c));
            pal[3 + 3 * i] = char(qBlue(c));
        }
        if (dev.write(pal) != pal.size())
            return false;
    }
    return true;
}

} // namespace imaging
