#include "sizes/RangeList.h"

#include "core/NumRules.h"
#include "sizes/SizeList.h"

#include <algorithm>

namespace sizes {

QSizeF RangeSize(const QString& heldList, int index) {
    const QStringList entries = heldList.split(u':');
    if (heldList.isEmpty() || index < 0 || index >= entries.size())
        return QSizeF(0, 0);
    const QStringList f = entries[index].split(u',');
    if (f.size() < 4)
        return QSizeF(0, 0);
    // Single precision, as the sizes are kept.
    float w = float(numrules::leadingNumber(f[1]));
    float h = float(numrules::leadingNumber(f[2]));
    if (f[3] == u"cm") {
        w = w / 2.54f * 96.0f;
        h = h / 2.54f * 96.0f;
    }
    return {w, h};
}

QRect RegisteredRange(const QSizeF& size, const QSize& picture) {
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    const double x2 = std::min(size.width() + 10, double(picture.width()));
    const double y2 = std::min(size.height() + 10, double(picture.height()));
    if (x2 <= 0 || y2 <= 0)
        return {};
    return QRect(QPoint(10, 10),
                 QPoint(int(numrules::roundHalfEven(x2)), int(numrules::roundHalfEven(y2))));
}

QString RangeCaption(const QString& entry) {
    const SizeEntry e = ParseEntry(entry);
    return e.isValid() ? menuCaption(e) : QString();
}

RangeMenu BuildRangeMenu(const QString& list) {
    RangeMenu menu;
    QStringList held;
    for (const QString& entry : list.split(u':')) {
        const QString caption = RangeCaption(entry);
        if (caption.isEmpty())
            continue;
        held << entry;
        menu.captions << caption;
    }
    menu.list = held.join(u':');
    return menu;
}

} // namespace sizes
