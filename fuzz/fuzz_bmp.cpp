// Feeds arbitrary bytes to the picture model's bitmap reading, then brings whatever picture
// results to every depth code and writes it with our bitmap writer. Besides the sanitizers
// it checks that each written bitmap reads back at the same size and that the palette
// codes keep to their number of colours.
#include "imaging/BmpWriter.h"
#include "imaging/DepthCode.h"
#include "imaging/ImageModel.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char* what, int code) {
    std::fprintf(stderr, "bitmap invariant broken at depth code %d: %s\n", code, what);
    std::abort();
}

// Headers may claim any size; the conversions of a large picture only cost time.
constexpr qint64 kMaxPixels = 256 * 256;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QImageReader::setAllocationLimit(64);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imaging::ImageModel model;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!model.loadFromData(bytes, "bmp"))
        return 0;
    const QImage& picture = model.image();
    if (qint64(picture.width()) * picture.height() > kMaxPixels)
        return 0;
    for (int code : {1, 4, 40, 8, 80, 16, 24, 32}) {
        const QImage converted = imaging::convertToDepthCode(picture, code);
        if (converted.isNull() || converted.size() != picture.size())
            broken("conversion lost the picture", code);
        if ((code == 4 || code == 40) && converted.colorCount() > 16)
            broken("more than 16 colours", code);
        QBuffer buf;
        buf.open(QIODevice::WriteOnly);
        if (!imaging::writeBmp(buf, converted, code))
            broken("the writer refused a picture", code);
        imaging::ImageModel back;
        if (!back.loadFromData(buf.data(), "bmp") || back.image().size() != picture.size())
            broken("the written bitmap does not read back", code);
    }
    return 0;
}
