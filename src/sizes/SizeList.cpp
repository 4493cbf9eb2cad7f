#include "sizes/SizeList.h"

#include "core/NumRules.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sizes {

namespace {

// Beyond the single-precision range a size is infinite (and so not valid), never undefined.
float toSingle(double v) {
    constexpr double kMax = std::numeric_limits<float>::max();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    if (v > kMax)
        return kInf;
    if (v < -kMax)
        return -kInf;
    return float(v);
}

float fieldNumber(const QStringList& fields, qsizetype i) {
    return i < fields.size() ? toSingle(numrules::leadingNumber(fields[i])) : 0.0f;
}

QString sizeCaption(const SizeEntry& e, const QString& times) {
    return e.name + u'(' + numrules::formatSingle(e.width) + times +
           numrules::formatSingle(e.height) + u' ' + e.unit + u')';
}

std::function<QRect()>& workAreaSource() {
    static std::function<QRect()> source;
    return source;
}

QString joinEntries(const QStringList& entries) {
    QStringList kept;
    for (const QString& e : entries)
        if (!e.isEmpty())
            kept << e;
    return kept.join(u':');
}

} // namespace

bool SizeEntry::isValid() const {
    return fieldCount >= 4 && !name.isEmpty() && width != 0.0f && height != 0.0f &&
           std::isfinite(width) && std::isfinite(height);
}

SizeEntry ParseEntry(const QString& entry) {
    const QStringList fields = entry.split(u',');
    SizeEntry e;
    e.fieldCount = int(std::min<qsizetype>(fields.size(), std::numeric_limits<int>::max()));
    e.name = fields.value(0);
    e.width = fieldNumber(fields, 1);
    e.height = fieldNumber(fields, 2);
    const QString unit = fields.value(3);
    e.unit = unit.toLower() == u"cm" ? QStringLiteral("cm") : QStringLiteral("px");
    e.appliesAsCm = unit == u"cm";
    return e;
}

QString cleanField(const QString& text) {
    QString out = text;
    out.remove(u':');
    out.remove(u',');
    return out;
}

QString BuildEntry(const QString& name, const QString& widthText, const QString& heightText,
                   bool unitIsCm) {
    return cleanField(name) + u',' + cleanField(widthText) + u',' + cleanField(heightText) +
           (unitIsCm ? QStringLiteral(",cm") : QStringLiteral(",px"));
}

QString listCaption(const SizeEntry& e) {
    return sizeCaption(e, QStringLiteral("*"));
}

QString menuCaption(const SizeEntry& e) {
    return sizeCaption(e, QStringLiteral(" * "));
}

double cmToPixels(double cm) {
    return cm / 2.54 * 96.0;
}

double entryPixelWidth(const SizeEntry& e) {
    return e.appliesAsCm ? cmToPixels(e.width) : double(e.width);
}

double entryPixelHeight(const SizeEntry& e) {
    return e.appliesAsCm ? cmToPixels(e.height) : double(e.height);
}

const QStringList& pixelPresets() {
    static const QStringList presets = {
        QStringLiteral("QVGA   320 x   240"), QStringLiteral(" VGA   640 x   480"),
        QStringLiteral("SVGA   800 x   600"), QStringLiteral(" XGA 1,024 x   768"),
        QStringLiteral("SXGA 1,280 x 1,024"), QStringLiteral("UXGA 1,600 x 1,200"),
    };
    return presets;
}

const QStringList& cmPresets() {
    static const QStringList presets = {
        QStringLiteral("A4   21.0 x 29.7"), QStringLiteral("B5   18.2 x 25.7"),
        QStringLiteral("A5   14.8 x 21.0"), QStringLiteral("A6   10.5 x 14.8"),
        QStringLiteral("ﾊｶﾞｷ 10.0 x 14.8"), QStringLiteral("ﾌｫﾄ  10.2 x 15.2"),
        QStringLiteral("L判   8.9 x 12.7"),
    };
    return presets;
}

QString screenPreset(int width, int height) {
    return QStringLiteral("ｽｸﾘｰﾝ ") + numrules::formatThousands(width) + QStringLiteral(" * ") +
           numrules::formatThousands(height);
}

std::optional<Preset> ParsePreset(const QString& text) {
    QString t = text;
    t.remove(u',');
    QStringList parts;
    for (const QString& p : t.split(u' '))
        if (!p.isEmpty())
            parts << p;
    if (parts.size() < 4)
        return std::nullopt;
    return Preset{parts[0], toSingle(numrules::leadingNumber(parts[1])),
                  toSingle(numrules::leadingNumber(parts[3]))};
}

std::optional<ScaledSize> scalePreset(const Preset& preset, double percent, bool swap) {
    if (!(percent > 0.0 && percent <= 100.0))
        return std::nullopt;
    ScaledSize s;
    s.name = preset.label + u' ' + numrules::formatDouble(percent) + u'%';
    s.width = toSingle(double(preset.width) * percent / 100.0);
    s.height = toSingle(double(preset.height) * percent / 100.0);
    if (swap)
        std::swap(s.width, s.height);
    return s;
}

void ScrnSz(int& nWd, int& nHi) {
    QRect area;
    if (const auto& source = workAreaSource())
        area = source();
    else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            // In device pixels, the pixels of a capture, whatever the screen's scale.
            const QRectF logical = screen->availableGeometry();
            const qreal ratio = screen->devicePixelRatio();
            area = QRect(0, 0, qRound(logical.width() * ratio), qRound(logical.height() * ratio));
        }
    nWd = std::max(area.width(), 0);
    nHi = std::max(area.height(), 0);
}

void setWorkAreaSource(std::function<QRect()> source) {
    workAreaSource() = std::move(source);
}

QStringList listEntries(const QString& list) {
    QStringList entries;
    for (const QString& e : list.split(u':'))
        if (!e.isEmpty())
            entries << e;
    return entries;
}

ListEdit moveUp(const QString& list, int i) {
    QStringList e = listEntries(list);
    if (i <= 0 || i >= e.size())
        return {list, i};
    e.swapItemsAt(i, i - 1);
    return {joinEntries(e), i - 1};
}

ListEdit moveDown(const QString& list, int i) {
    QStringList e = listEntries(list);
    if (i < 0 || i >= e.size() - 1)
        return {list, i};
    e.swapItemsAt(i, i + 1);
    return {joinEntries(e), i + 1};
}

ListEdit deleteEntry(const QString& list, int i) {
    QStringList e = listEntries(list);
    if (i < 0 || i >= e.size())
        return {list, i};
    e.removeAt(i);
    return {joinEntries(e), -1};
}

ListEdit replaceEntry(const QString& list, int i, const QString& entry) {
    QStringList e = listEntries(list);
    if (i < 0)
        return {list, i};
    if (e.isEmpty())
        return {entry, 0};
    if (i >= e.size())
        return {list, i};
    e[i] = entry;
    return {joinEntries(e), i};
}

ListEdit insertEntry(const QString& list, int i, const QString& entry) {
    QStringList e = listEntries(list);
    const int at = int(std::min<qsizetype>(std::max(i, 0), e.size()));
    e.insert(at, entry);
    return {joinEntries(e), i < 0 ? -1 : at};
}

bool nameTaken(const QString& list, const QString& name) {
    return (u':' + list).contains(u':' + name + u',', Qt::CaseInsensitive);
}

QString withTemporary(const QString& list, int width, int height) {
    // By entry name: a plain text search would take "MyTemporary," for the entry.
    for (const QString& entry : listEntries(list))
        if (entry.startsWith(u"Temporary,"))
            return list;
    return QStringLiteral("Temporary,") + QString::number(width) + u',' + QString::number(height) +
           QStringLiteral(",px:") + list;
}

} // namespace sizes
