// Feeds arbitrary text to the range list parser, the list edits and the number rules.
// Input: a selected row and a new entry, then the list text.
#include "core/NumRules.h"
#include "sizes/RangeList.h"
#include "sizes/SizeList.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace sizes;

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "range list invariant broken: %s\n", what);
    std::abort();
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

void checkMenu(const QString& list) {
    const RangeMenu menu = BuildRangeMenu(list);
    const QStringList held = listEntries(menu.list);
    if (held.size() != menu.captions.size())
        broken("one caption per held entry");
    for (qsizetype k = 0; k < held.size(); ++k) {
        if (RangeCaption(held[k]) != menu.captions[k] || menu.captions[k].isEmpty())
            broken("caption of a held entry");
        const SizeEntry e = ParseEntry(held[k]);
        listCaption(e);
        if (!std::isfinite(entryPixelWidth(e)) || !std::isfinite(entryPixelHeight(e)))
            broken("pixel size of a valid entry");
    }
    const RangeMenu again = BuildRangeMenu(menu.list);
    if (again.list != menu.list || again.captions != menu.captions)
        broken("the held list builds the same menu");
}

void checkEdits(const QString& list, int i, const QString& entry) {
    const QStringList rows = listEntries(list);
    const bool inRange = i >= 0 && i < rows.size();

    if (sorted(listEntries(moveUp(list, i).list)) != sorted(rows) ||
        sorted(listEntries(moveDown(list, i).list)) != sorted(rows))
        broken("moving keeps the entries");

    QStringList expected = rows;
    if (inRange)
        expected.removeAt(i);
    if (listEntries(deleteEntry(list, i).list) != expected)
        broken("delete removes exactly the selected entry");

    if (entry.isEmpty())
        return;
    const ListEdit ins = insertEntry(list, i, entry);
    const QStringList after = listEntries(ins.list);
    if (after.size() != rows.size() + 1 || after.value(std::max(ins.selected, 0)) != entry)
        broken("insert adds the entry at the selection");
    const ListEdit rep = replaceEntry(list, i, entry);
    expected = rows;
    if (inRange)
        expected[i] = entry;
    else if (rows.isEmpty() && i >= 0)
        expected = {entry};
    if (listEntries(rep.list) != expected)
        broken("replace swaps exactly the selected entry");
    if (!nameTaken(withTemporary(list, i, i), QStringLiteral("Temporary")) &&
        !list.contains(u"Temporary,"))
        broken("the Temporary entry is put in front");
}

void checkNumbers(const QString& text, double percent) {
    const double v = numrules::leadingNumber(text);
    if (!std::isfinite(v))
        broken("leading number is finite");
    const QString single = numrules::formatSingle(float(std::clamp(v, -3.0e38, 3.0e38)));
    const QString dbl = numrules::formatDouble(v);
    for (const QString& s : {single, dbl})
        if (s.contains(u'e') || s.contains(u',') || s.isEmpty())
            broken("numbers are written in plain decimal");
    numrules::format000(numrules::toInteger(v));
    numrules::formatThousands(numrules::toInteger(v));
    if (const std::optional<Preset> p = ParsePreset(text))
        scalePreset(*p, percent, percent > 50);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const int i = fdp.ConsumeIntegralInRange(-2, 12);
    const double percent = fdp.ConsumeFloatingPointInRange(-10.0, 200.0);
    // An entry as the dialog builds it: separators cleaned out of every field.
    const QString entry =
        BuildEntry(QString::fromUtf8(fdp.ConsumeRandomLengthString(16)),
                   QString::fromUtf8(fdp.ConsumeRandomLengthString(8)),
                   QString::fromUtf8(fdp.ConsumeRandomLengthString(8)), fdp.ConsumeBool());
    const QString list = QString::fromUtf8(fdp.ConsumeRemainingBytesAsString());

    checkMenu(list);
    checkEdits(list, i, entry);
    checkNumbers(list, percent);
    for (const QString& row : listEntries(list).mid(0, 8))
        checkNumbers(row, percent);
    return 0;
}
