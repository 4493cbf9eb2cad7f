#include "imaging/PictureReaders.h"

#include <gif_lib.h>

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
    QImage img(w, h, QImage::Format_Indexed8);
    if (img.isNull())
        return out;
    img.setColorTable(table);
    img.fill(uint(gif->SBackGroundColor < table.size() ? gif->SBackGroundColor : 0));

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
        uchar* d = img.scanLine(y) + frame.Left;
        for (int x = 0; x < visible; ++x)
            d[x] = line[size_t(x)] < table.size() ? line[size_t(x)] : 0;
    }

    const bool grey = greyTable(table);
    if (table.size() <= 2) {
        out.depthCode = 1;
        img = img.convertToFormat(QImage::Format_Mono, table);
    } else if (table.size() <= 16) {
        out.depthCode = grey ? 40 : 4;
    } else {
        out.depthCode = grey ? 80 : 8;
        if (grey)
            img = img.convertToFormat(QImage::Format_Grayscale8);
    }
    out.image = std::move(img);
    return out;
}

} // namespace imaging
