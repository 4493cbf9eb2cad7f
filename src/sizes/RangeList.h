#pragma once
// The registered-range items of the range menu, as captions: which entries of the list
// become menu items and how they read. The menu widgets themselves are built elsewhere.
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace sizes {

// "A4(21 * 29.7 cm)" for the entry "A4,21,29.7,cm"; empty when the entry is not valid.
QString RangeCaption(const QString& entry);

struct RangeMenu {
    QString list;         // the held list: only entries with a caption, joined by ":"
    QStringList captions; // item k shows entry k of the held list
    bool separatorVisible() const { return !captions.isEmpty(); }
};

// Turns a list text into the held list and the captions of the range menu's items.
RangeMenu BuildRangeMenu(const QString& list);

// Width and height in pixels at 96 dpi of entry index of a held list (a unit of exactly "cm"
// is converted; anything else counts as pixels); 0, 0 when there is no such entry.
QSizeF RangeSize(const QString& heldList, int index);

// The range a registered size sets on a picture: from (10, 10) to the size's width and height
// plus 10, limited to the picture (right() and bottom() are x2 and y2); null when the size is
// 0 or nothing is left.
QRect RegisteredRange(const QSizeF& size, const QSize& picture);

} // namespace sizes
