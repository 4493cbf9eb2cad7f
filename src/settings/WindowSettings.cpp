#include "settings/WindowSettings.h"

#include "app/NumRules.h"
#include "app/Twips.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"
#include "settings/yIni.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

#include <limits>

namespace {

const QString kForm = QStringLiteral("ﾌｫｰﾑ");
const QString kUser = QStringLiteral("ﾕｰｻﾞｰ");
const QString kTake = QStringLiteral("取込");

// Rounded halves to even and kept inside 32 bits, so a damaged number cannot overflow.
int toInt32(double v) {
    const qint64 r = numrules::toInteger(v);
    return int(
        std::clamp<qint64>(r, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int readInt(yIni& ini, const QString& key) {
    return toInt32(ini.vGtVal(key, QVariant::fromValue<qint16>(0)).toDouble());
}

QRect screenArea() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Keeps the window's size and centres it on the primary screen.
void centre(fmMain& w) {
    const QRect a = screenArea();
    w.move(a.x() + (a.width() - w.width()) / 2, a.y() + (a.height() - w.height()) / 2);
}

bool onSomeScreen(const QRect& r) {
    for (const QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersects(r))
            return true;
    return false;
}

} // namespace

QString optionText(bool on) {
    return on ? kTake : QStringLiteral("取込まない");
}

void LoadWindowSettings(fmMain& w, yIni& ini, const QString& file) {
    int displayMode = 1;
    if (!ini.GetTxt(file)) {
        centre(w);
    } else {
        ini.GetGtx(kForm);
        const int left = readInt(ini, QStringLiteral("Left"));
        const int top = readInt(ini, QStringLiteral("Top"));
        const int width = readInt(ini, QStringLiteral("Width"));
        const int height = readInt(ini, QStringLiteral("Height"));
        const QRect r(twips::toPx(left), twips::toPx(top), twips::toPx(width), twips::toPx(height));
        if (r.width() < 1 || r.height() < 1) {
            centre(w);
        } else {
            w.resize(r.size());
            w.move(r.topLeft());
            // A place left behind on a screen that is gone would hide the window.
            if (!onSomeScreen(r))
                centre(w);
        }
        ini.GetGtx(kUser);
        displayMode = readInt(ini, QStringLiteral("ｽｹｰﾙ表示"));
        // The window keeps the valid entries and rebuilds its range menu from them.
        w.setRangeList(ini.vGtVal(QStringLiteral("QN_RNG"), QString()).toString());
        QString reduction = ini.vGtVal(QStringLiteral("減色"), QString()).toString();
        w.setColourReduction(reduction.isEmpty() ? QStringLiteral("減色しない") : reduction);
        w.setMPnt(ini.vGtVal(QStringLiteral("ﾏｳｽﾎﾟｲﾝﾀ"), kTake).toString() == kTake);
        w.setCpyE(ini.vGtVal(QStringLiteral("ｺﾋﾟｰｲﾍﾞﾝﾄ"), kTake).toString() == kTake);
    }
    // Anything but 1 ends as 3 through the check button's own handling.
    QCheckBox& scale = *w.topBand().chDsp[0];
    if (scale.isChecked() == (displayMode == 1))
        w.SetScaleDisplay(displayMode == 1);
    scale.setChecked(displayMode == 1);
}

bool WriteWindowSettings(fmMain& w, yIni& ini) {
    // A minimised or maximised window is remembered where it will be restored to.
    const QRect g = w.restoredGeometry();
    ini.GetGtx(kForm);
    ini.SetVal(QStringLiteral("Left"), float(twips::fromPx(g.x())));
    ini.SetVal(QStringLiteral("Top"), float(twips::fromPx(g.y())));
    ini.SetVal(QStringLiteral("Width"), float(twips::fromPx(g.width())));
    ini.SetVal(QStringLiteral("Height"), float(twips::fromPx(g.height())));
    ini.SetGtx();
    ini.GetGtx(kUser);
    ini.SetVal(QStringLiteral("ｽｹｰﾙ表示"), qint32(w.displayMode()));
    ini.SetVal(QStringLiteral("QN_RNG"), w.rangeList());
    ini.SetVal(QStringLiteral("減色"), w.colourReduction());
    ini.SetVal(QStringLiteral("ﾏｳｽﾎﾟｲﾝﾀ"), optionText(w.bMPnt()));
    ini.SetVal(QStringLiteral("ｺﾋﾟｰｲﾍﾞﾝﾄ"), optionText(w.bCpyE()));
    ini.SetGtx();
    return ini.SetTxt();
}
