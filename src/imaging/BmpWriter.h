#pragma once
// Writes Windows bitmaps at every depth code. Qt's own writer only produces 1, 8 and
// 24 bits; the stored captures also need 4, 16 and 32 bits and grey palettes, and a
// 32-bit picture is written straight from the image rows without a converted copy.
#include <QIODevice>
#include <QImage>

namespace imaging {

// Writes image to dev as a bitmap of the given depth code, converting when the
// image's in-memory form does not match. Resolution comes from the image's dots
// per metre. Returns false when the device refused a write.
bool writeBmp(QIODevice& dev, const QImage& image, int depthCode);

} // namespace imaging
