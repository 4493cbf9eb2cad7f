#include "imaging/GifWriter.h"

#include "imaging/DepthCode.h"

#include <QIODevice>

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <vector>

namespace imaging {

namespace {

// giflib hands over blocks of at most 255 bytes; they are gathered before the device.
struct Sink {
    QIODevice* dev = nullptr;
    QByteArray buf;
    bool failed = false;
    void flush() {
        if (!failed && !buf.isEmpty() && dev->write(buf) != buf.size())
            failed = true;
        buf.resize(0);
    }
};

int writeBlock(GifFileType* gif, const GifByteType* data, int len) {
    auto* sink = static_cast<Sink*>(gif->UserData);
    sink->buf.append(reinterpret_cast<const char*>(data), len);
    if (sink->buf.size() >= (1 << 20))
        sink->flush();
    return sink->failed ? 0 : len;
}

struct MapFree {
    void operator()(ColorMapObject* m) const { GifFreeMapObject(m); }
};

} // namespace

bool writeGif(QIODevice& dev, const QImage& image, int depthCode, QString* error) {
    auto fail = [&](int err) {
        if (error)
            *error = QString::fromLatin1(GifErrorString(err));
        return false;
    };
    int code = depthCode;
    if (code != 1 && code != 4 && code != 40 && code != 8 && code != 80)
        code = 8;
    const QImage img = code == 1
                           ? convertToDepthCode(image, 1).convertToFormat(QImage::Format_Indexed8)
                           : convertToDepthCode(image, code);
    if (img.isNull() || img.width() > 0xFFFF || img.height() > 0xFFFF)
        return fail(E_GIF_ERR_DATA_TOO_BIG);

    QList<QRgb> table;
    if (code == 80) {
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, i, i));
    } else {
        table = img.colorTable();
    }
    // The colour table of a depth code keeps its size: 2, 16 or 256 entries.
    int bits = code == 1 ? 1 : bitsOfDepthCode(code);
    while ((1 << bits) < table.size())
        ++bits;
    std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(1 << bits, nullptr));
    if (!map)
        return fail(E_GIF_ERR_NOT_ENOUGH_MEM);
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        map->Colors[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }

    Sink sink{&dev, {}, false};
    int err = 0;
    GifFileType* gif = EGifOpen(&sink, writeBlock, &err);
    if (!gif)
        return fail(err);
    const int w = img.width(), h = img.height();
    bool ok = EGifPutScreenDesc(gif, w, h, bits, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    // giflib masks the pixels of the line it is given, so each row goes through a copy.
    std::vector<GifPixelType> row(static_cast<size_t>(w));
    for (int y = 0; ok && y < h; ++y) {
        std::memcpy(row.data(), img.constScanLine(y), size_t(w));
        ok = EGifPutLine(gif, row.data(), w) == GIF_OK;
    }
    if (!ok)
        err = gif->Error;
    int closeErr = 0;
    if (EGifCloseFile(gif, &closeErr) != GIF_OK && ok) {
        ok = false;
        err = closeErr;
    }
    sink.flush();
    if (sink.failed) {
        if (error)
            *error = dev.errorString();
        return false;
    }
    return ok || fail(err);
}

} // namespace imaging
