#include "platform/Platform.h"

#include "platform/ScreenGrab.h"
#include "platform/null/NullDesktop.h"
#ifdef TOLVIK_HAVE_X11
#include "platform/x11/X11Desktop.h"
#endif

#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>

#include <algorithm>

namespace platform {

std::unique_ptr<Desktop> createDesktop() {
#ifdef TOLVIK_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return createX11Desktop();
#endif
    return std::make_unique<NullDesktop>();
}

void putOnClipboard(QMimeData* data) {
    data->setData(QLatin1String(kOwnOfferFormat),
                  QByteArray::number(QCoreApplication::applicationPid()));
    QGuiApplication::clipboard()->setMimeData(data);
}

QStringList readablePictureTypes() {
    // Uncompressed and lossless first: cheap to decode and exactly the captured pixels.
    QStringList out = {QStringLiteral("image/bmp"), QStringLiteral("image/x-bmp"),
                       QStringLiteral("image/png")};
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QByteArray& t : readable) {
        const QString type = QString::fromLatin1(t);
        if (!out.contains(type))
            out << type;
    }
    out.erase(std::remove_if(out.begin(), out.end(),
                             [&](const QString& t) { return !readable.contains(t.toLatin1()); }),
              out.end());
    return out;
}

ClipboardRoad chooseClipboardRoad(const QString& forced, bool waylandSession, bool dataControl) {
    if (forced == QLatin1String("x11") || !dataControl)
        return ClipboardRoad::X11;
    if (forced == QLatin1String("wayland"))
        return ClipboardRoad::Wayland;
    // Without data control (GNOME) XWayland still sees what Wayland programs copy.
    return waylandSession ? ClipboardRoad::Wayland : ClipboardRoad::X11;
}

bool waylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void chooseSessionPlatform() {
#ifdef TOLVIK_HAVE_X11
    if (waylandSession() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
}

} // namespace platform
