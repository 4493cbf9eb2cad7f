#include "imaging/PictureReaders.h"

#include "imaging/PictureBudget.h"

#include <gif_lib.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace imaging {

namespace {

struct Memory {
    const uchar* data;
    qsizetype size;
    qsizetype pos = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int n) {
    auto* m = static_cast<Memory*>(gif->UserData);
    const int k = int(std::min<qsizetype>(n, m->size - m->pos));
    std::memcpy(out, m->data + m->pos, size_t(k));
    m->pos += k;
    return k;
}

struct GifClose {
    void operator()(GifFileType* g) const {
        int err = 0;
        DGifCloseFile(g, &err);
    }
};

bool greyTable(const QList<QRgb>& t) {
    for (QRgb c : t)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

// Skips extension blocks up to the first frame; false at the end or on an error.
bool toFirstFrame(GifFileType* gif) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    while (DGifGetRecordType(gif, &type) == GIF_OK) {
        if (type == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif) == GIF_OK;
        if (type == TERMINATE_RECORD_TYPE)
            return false;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK)
                return false;
            while (block)
                if (DGifGetExtensionNext(gif, &block) != GIF_OK)
                    return false;
        }
    }
    return false;
}

} // namespace

DecodedPicture readGifDirect(const char* data, qsizetype size) {
    DecodedPicture out;
    if (size < 13 || std::memcmp(data, "GIF8", 4) != 0)
        return out;
    Memory mem{reinterpret_cast<const uchar*>(data), size};
    int err = 0;
    std::unique_ptr<GifFileType, GifClose> gif(DGifOpen(&mem, readBytes, &err));
    if (!gif || !toFirstFrame(gif.get()))
        return out;
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    int w = gif->SWidth, h = gif->SHeight;
    if (w <= 0 || h <= 0) {
        w = frame.Width;
        h = frame.Height;
    }
    if (!map || map->ColorCount <= 0 || map->ColorCount > 256 || w <= 0 || h <= 0 || w > 16384 ||
        h > 16384 || frame.Width <= 0 || frame.Height <= 0 || frame.Width > 16384 ||
        frame.Height > 16384 || frame.Left < 0 || frame.Top < 0)
        return out;

    QList<QRgb> table;
    for (int i = 0; i < map->ColorCount; ++i)
        table.append(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
    // Straight into the form of the depth code: Qt's conversions of a large picture to one
    // bit or to grey go through 32 bits a pixel (1 GB and seconds for 16384 x 16384).
    const bool grey = greyTable(table);
    QImage::Format form = QImage::Format_Indexed8;
    if (table.size() <= 2) {
        out.depthCode = 1;
        form = QImage::Format_Mono;
    } else if (table.size() <= 16) {
        out.depthCode = grey ? 40 : 4;
    } else {
        out.depthCode = grey ? 80 : 8;
        if (grey)
            form = QImage::Format_Grayscale8;
    }
    // The byte stored for each index; a grey picture stores the level. Indexes past the
    // table are read as the first colour.
    std::array<uchar, 256> stored{};
    for (int i = 0; i < 256; ++i) {
        const int index = i < table.size() ? i : 0;
        stored[size_t(i)] =
            form == QImage::Format_Grayscale8 ? uchar(qRed(table[index])) : uchar(index);
    }
    out.error = budgetProblem(w, h, QImage::toPixelFormat(form).bitsPerPixel());
    if (!out.error.isEmpty())
        return out;
    QImage img(w, h, form);
    if (img.isNull())
        return out;
    if (form == QImage::Format_Mono && table.size() < 2)
        table.resize(2, qRgb(0, 0, 0));
    if (form != QImage::Format_Grayscale8)
        img.setColorTable(table);
    const int background = gif->SBackGroundColor < table.size() ? gif->SBackGroundColor : 0;
    if (form == QImage::Format_Mono)
        img.fill(uint(background));
    else
        img.fill(stored[size_t(background)]);

    // Interlaced frames come in four passes of rows.
    std::vector<int> order;
    order.reserve(size_t(frame.Height));
    if (frame.Interlace) {
        for (int pass = 0; pass < 4; ++pass)
            for (int y = (pass == 0 ? 0 : 8 >> pass); y < frame.Height;
                 y += (pass == 0 ? 8 : 16 >> pass))
                order.push_back(y);
    } else {
        for (int y = 0; y < frame.Height; ++y)
            order.push_back(y);
    }
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    const int visible = std::max(0, std::min(frame.Width, w - frame.Left));
    for (int fy : order) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK)
            break; // a cut-off file shows what it has
        const int y = frame.Top + fy;
        if (y >= h || visible == 0)
            continue;
        uchar* d = img.scanLine(y);
        if (form == QImage::Format_Mono) {
            for (int x = 0; x < visible; ++x) {
                const int at = frame.Left + x;
                const uchar bit = uchar(0x80 >> (at & 7));
                if (stored[line[size_t(x)]] == 1)
                    d[at >> 3] |= bit;
                else
                    d[at >> 3] &= uchar(~bit);
            }
        } else {
            d += frame.Left;
            for (int x = 0; x < visible; ++x)
                d[x] = stored[line[size_t(x)]];
        }
    }
    out.image = std::move(img);
    return out;
}

} // namespace imaging
