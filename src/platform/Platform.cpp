#include "platform/Platform.h"

#include "platform/null/NullDesktop.h"
#ifdef TOLVIK_HAVE_X11
#include "platform/x11/X11Desktop.h"
#endif

#include <QGuiApplication>

namespace platform {

quint64 pictureKey(const QImage& image) {
    if (image.isNull())
        return 0;
    // Four independent multiply-xor lanes over the sampled rows (not their padding).
    constexpr quint64 kMul = 0x9E3779B97F4A7C15ull;
    quint64 lane[4] = {quint64(image.width()) << 32 | quint64(image.height()),
                       quint64(image.format()), 0x243F6A8885A308D3ull, 0x13198A2E03707344ull};
    const qsizetype rowBytes = (qsizetype(image.width()) * image.depth() + 7) / 8;
    auto mixRow = [&](int y) {
        const uchar* row = image.constScanLine(y);
        qsizetype i = 0;
        for (; i + 32 <= rowBytes; i += 32) {
            quint64 v[4];
            memcpy(v, row + i, 32);
            for (int k = 0; k < 4; ++k)
                lane[k] = (lane[k] ^ v[k]) * kMul;
        }
        for (; i < rowBytes; ++i)
            lane[0] = (lane[0] ^ row[i]) * kMul;
        lane[1] = (lane[1] ^ quint64(y)) * kMul;
    };
    const int rows = image.height();
    for (int y = 0; y < rows; y += 8)
        mixRow(y);
    if ((rows - 1) % 8 != 0)
        mixRow(rows - 1);
    quint64 key = 0;
    for (quint64 l : lane)
        key = (key ^ (l ^ (l >> 29))) * kMul;
    return key ? key : 1;
}

std::unique_ptr<Desktop> createDesktop() {
#ifdef TOLVIK_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return createX11Desktop();
#endif
    return std::make_unique<NullDesktop>();
}

void chooseSessionPlatform() {
#ifdef TOLVIK_HAVE_X11
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
                         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (wayland && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
}

} // namespace platform
