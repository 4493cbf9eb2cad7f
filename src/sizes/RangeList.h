#pragma once
// The registered-range items of the range menu, as captions: which entries of the list
// become menu items and how they read. The menu widgets themselves are built elsewhere.
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

} // namespace sizes
