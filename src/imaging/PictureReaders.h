#pragma once
// Direct readers for the common forms of bitmap, PNG and GIF files: straight into the
// in-memory form of the depth code, one pass over the pixels. Qt's readers, which give
// 32-bit pixels that must then be converted back, take every other form.
#include <QImage>
#include <QString>

namespace imaging {

struct DecodedPicture {
    QImage image;  // null when the reader leaves the data to Qt's readers
    QString error; // set when the picture is refused (over the budget): no reader takes it
    int depthCode = 0;
    int dpiX = 0;
    int dpiY = 0;
};

// Uncompressed 8-, 24- and 32-bit bitmaps.
DecodedPicture readBmpDirect(const char* data, qsizetype size);
// Non-interlaced 8-bit RGB and grey, and 4- and 8-bit palettes without transparency.
DecodedPicture readPngDirect(const char* data, qsizetype size);
// The first frame of a GIF file, on its logical screen, through giflib.
DecodedPicture readGifDirect(const char* data, qsizetype size);

} // namespace imaging
