#include "platform/Platform.h"

#include "platform/null/NullDesktop.h"
#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>

namespace platform {

quint64 pictureKey(const QImage& image) {
    if (image.isNull())
        return 0;
    // FNV-1a over the pixel rows (not the padding), seeded with the geometry.
    quint64 h = 1469598103934665603ull;
    auto mix = [&h](quint64 v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    mix(quint64(image.width()) << 32 | quint64(image.height()));
    mix(quint64(image.format()));
    const qsizetype rowBytes = (qsizetype(image.width()) * image.depth() + 7) / 8;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        qsizetype i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            quint64 v;
            memcpy(&v, row + i, 8);
            mix(v);
        }
        for (; i < rowBytes; ++i)
            mix(row[i]);
    }
    return h ? h : 1;
}

std::unique_ptr<Desktop> createDesktop() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return createX11Desktop();
    return std::make_unique<NullDesktop>();
}

} // namespace platform
