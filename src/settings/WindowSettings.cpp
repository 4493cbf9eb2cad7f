#include "settings/WindowSettings.h"

#include "core/DepthCaptions.h"
#include "core/NumRules.h"
#include "core/Twips.h"
#include "settings/yIni.h"

#include <algorithm>
#include <limits>

namespace {

const QString kForm = QStringLiteral("ﾌｫｰﾑ");
const QString kUser = QStringLiteral("ﾕｰｻﾞｰ");
const QString kTake = QStringLiteral("取込");
// Qt's largest widget size: a damaged size beyond it could not be kept anyway, and bounding
// it keeps its twips inside 32 bits.
constexpr int kLargestPx = (1 << 24) - 1;
constexpr int kLargestTwips = kLargestPx * twips::kPerPixel;

// Rounded halves to even and kept inside 32 bits, so a damaged number cannot overflow.
int toInt32(double v) {
    const qint64 r = numrules::toInteger(v);
    return int(
        std::clamp<qint64>(r, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int readInt(yIni& ini, const QString& key) {
    return toInt32(ini.readValue(key, QVariant::fromValue<qint16>(0)).toDouble());
}

// A window of this size centred on the primary screen, in twips.
QRect centred(const WindowRoom& room, QSize size) {
    const QRect a = room.screens.isEmpty() ? QRect(0, 0, 1024, 768) : room.screens.front();
    const QRect px(a.x() + (a.width() - size.width()) / 2, a.y() + (a.height() - size.height()) / 2,
                   size.width(), size.height());
    return QRect(int(twips::fromPx(px.x())), int(twips::fromPx(px.y())),
                 int(twips::fromPx(px.width())), int(twips::fromPx(px.height())));
}

bool onSomeScreen(const WindowRoom& room, const QRect& r) {
    return std::any_of(room.screens.begin(), room.screens.end(),
                       [&r](const QRect& s) { return s.intersects(r); });
}

} // namespace

QString optionText(bool on) {
    return on ? kTake : QStringLiteral("取込まない");
}

WindowSettingsValue LoadWindowSettings(yIni& ini, const QString& file, const WindowRoom& room) {
    WindowSettingsValue v;
    v.geometry = centred(room, room.size);
    if (!ini.loadDocument(file))
        return v;
    ini.loadGroup(kForm);
    const int left = readInt(ini, QStringLiteral("Left"));
    const int top = readInt(ini, QStringLiteral("Top"));
    const int width = readInt(ini, QStringLiteral("Width"));
    const int height = readInt(ini, QStringLiteral("Height"));
    const QRect r(twips::toPx(left), twips::toPx(top), twips::toPx(width), twips::toPx(height));
    if (r.width() >= 1 && r.height() >= 1) {
        // A place left behind on a screen that is gone would hide the window.
        if (onSomeScreen(room, r))
            v.geometry =
                QRect(left, top, std::min(width, kLargestTwips), std::min(height, kLargestTwips));
        else
            v.geometry = centred(
                room,
                r.size().boundedTo(QSize(kLargestPx, kLargestPx)).expandedTo(room.minimumSize));
    }
    ini.loadGroup(kUser);
    v.scaleDisplay = readInt(ini, QStringLiteral("ｽｹｰﾙ表示")) == 1;
    v.rangeList = ini.readValue(QStringLiteral("QN_RNG"), QString()).toString();
    // Only the reductions the menu offers; anything else keeps the colours.
    const int reduction =
        depthcaptions::codeOf(ini.readValue(QStringLiteral("減色"), QString()).toString());
    for (int i = 0; i < depthcaptions::kReductions; ++i)
        if (depthcaptions::kDepths[size_t(i)].code == reduction)
            v.capture.reductionCode = reduction;
    v.capture.drawPointer = ini.readValue(QStringLiteral("ﾏｳｽﾎﾟｲﾝﾀ"), kTake).toString() == kTake;
    v.capture.takeCopies = ini.readValue(QStringLiteral("ｺﾋﾟｰｲﾍﾞﾝﾄ"), kTake).toString() == kTake;
    return v;
}

bool WriteWindowSettings(const WindowSettingsValue& v, yIni& ini) {
    ini.loadGroup(kForm);
    ini.writeValue(QStringLiteral("Left"), float(v.geometry.x()));
    ini.writeValue(QStringLiteral("Top"), float(v.geometry.y()));
    ini.writeValue(QStringLiteral("Width"), float(v.geometry.width()));
    ini.writeValue(QStringLiteral("Height"), float(v.geometry.height()));
    ini.storeGroup();
    ini.loadGroup(kUser);
    ini.writeValue(QStringLiteral("ｽｹｰﾙ表示"), qint32(v.scaleDisplay ? 1 : 3));
    ini.writeValue(QStringLiteral("QN_RNG"), v.rangeList);
    ini.writeValue(QStringLiteral("減色"), depthcaptions::captionOf(v.capture.reductionCode));
    ini.writeValue(QStringLiteral("ﾏｳｽﾎﾟｲﾝﾀ"), optionText(v.capture.drawPointer));
    ini.writeValue(QStringLiteral("ｺﾋﾟｰｲﾍﾞﾝﾄ"), optionText(v.capture.takeCopies));
    ini.storeGroup();
    return ini.saveDocument();
}
