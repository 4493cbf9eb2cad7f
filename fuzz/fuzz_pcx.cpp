// Feeds arbitrary bytes to the PCX reader. Besides the sanitizers it checks that a picture
// it takes is written again by the PCX writer and reads back with the same pixels.
#include "imaging/PcxCodec.h"

#include <QBuffer>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    const imaging::PcxPicture pic = imaging::readPcx(bytes, qsizetype(size));
    if (pic.image.isNull() || pic.depthCode == 32 ||
        qint64(pic.image.width()) * pic.image.height() > (1 << 20))
        return 0;
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    if (!imaging::writePcx(buf, pic.image, pic.depthCode)) {
        std::fprintf(stderr, "pcx: a picture read could not be written\n");
        std::abort();
    }
    const imaging::PcxPicture back = imaging::readPcx(out.constData(), out.size());
    if (back.image.convertToFormat(QImage::Format_RGB32) !=
        pic.image.convertToFormat(QImage::Format_RGB32)) {
        std::fprintf(stderr, "pcx: a written picture does not read back\n");
        std::abort();
    }
    return 0;
}
