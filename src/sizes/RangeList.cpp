#include "sizes/RangeList.h"

#include "sizes/SizeList.h"

namespace sizes {

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
