#pragma once
// Writes Windows bitmaps at every depth code. Qt's own writer only produces 1, 8 and
// 24 bits; the stored captures also need 4, 16 and 32 bits and grey palettes, and a
// 32-bit picture is written straight from the image rows without a converted copy.
#include <QIODevice>
#include <QImage>

#include <functional>

namespace imaging {

// Writes image to dev as a bitmap of the given depth code, converting when the
// image's in-memory form does not match. Resolution comes from the image's dots
// per metre. Returns false when the device refused a write.
bool writeBmp(QIODevice& dev, const QImage& image, int depthCode);

// Writes a 24-bit bitmap whose rows fill gives one at a time: fill(y, bgr) puts the blue,
// green and red bytes of row y into bgr. Rows are gathered and written in large blocks, with
// no copy of the picture. BottomUp asks for them in the order the file keeps them (the bottom
// row first); TopDown asks for the blocks from the top of the picture, each written at its
// place (the device must be able to seek), so that rows can be written while the ones below
// them are still being made.
enum class RowOrder { BottomUp, TopDown };
bool writeBmp24(QIODevice& dev, QSize size, int dotsPerMeterX, int dotsPerMeterY,
                const std::function<void(int y, uchar* bgr)>& fill,
                RowOrder order = RowOrder::BottomUp);

// Row converters for writeBmp24, from the forms pictures are held in.
void bgrFromRgb32(const uchar* rgb32, uchar* bgr, int width);
void bgrFromRgb(const uchar* rgb, uchar* bgr, int width, int channels); // R G B (A)

} // namespace imaging
