// Feeds arbitrary GIF bytes to the picture load path (giflib through our reader, Qt's
// reader for what it leaves). A picture it opens must be in the form of the depth code it
// reports.
#include "imaging/DepthCode.h"
#include "imaging/PictureFiles.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt finds its image format plugins through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Other signatures lead to other readers; this target is about GIF.
    if (size < 6 || std::memcmp(data, "GIF8", 4) != 0)
        return 0;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const imaging::LoadedPicture p = imaging::loadPictureData(bytes, QStringLiteral("f.gif"));
    if (!p.ok)
        return 0;
    if (p.picture.isNull() ||
        imaging::convertToDepthCode(p.picture, p.depthCode).format() != p.picture.format()) {
        std::fprintf(stderr, "gif: opened picture not in the form of its depth code\n");
        std::abort();
    }
    return 0;
}
