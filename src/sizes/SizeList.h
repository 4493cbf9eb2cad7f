#pragma once
// The registered range list as data. The list is one text of entries joined by ":", each
// entry name,width,height,unit (for example "Temporary,640,480,px:A4 50%,10.5,14.85,cm");
// empty elements are ignored wherever the list is read.
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace sizes {

// One entry read from its text.
struct SizeEntry {
    QString name;
    float width = 0;          // leading-number parse of field 1
    float height = 0;         // leading-number parse of field 2
    QString unit;             // for display: "cm" when the lower-cased field 3 is "cm", else "px"
    bool appliesAsCm = false; // field 3 is exactly "cm": only then is the size converted
    int fieldCount = 0;

    // At least four fields, a name, and a width and a height that are finite and non-zero.
    bool isValid() const;
};

SizeEntry ParseEntry(const QString& entry);

// A field text without the list's separators ":" and ",", which it cannot hold. Digit
// grouping goes with them, so "1,024" stays 1024.
QString cleanField(const QString& text);

// The entry the dialog builds from its fields: the texts as typed, cleaned of separators.
QString BuildEntry(const QString& name, const QString& widthText, const QString& heightText,
                   bool unitIsCm);

// Display forms: "Temporary(640*480 px)" in the dialog's list, "Temporary(640 * 480 px)"
// in the range menu.
QString listCaption(const SizeEntry& e);
QString menuCaption(const SizeEntry& e);

// The size an entry puts on the picture, in pixels (centimetres at 96 dots per inch).
double entryPixelWidth(const SizeEntry& e);
double entryPixelHeight(const SizeEntry& e);

double cmToPixels(double cm);

// --- presets ---

struct Preset {
    QString label;
    float width = 0;
    float height = 0;
};

// The six fixed pixel presets and the seven centimetre presets, as the dialog lists them.
const QStringList& pixelPresets();
const QStringList& cmPresets();
// The last pixel preset: "ｽｸﾘｰﾝ 1,920 * 1,040" for a work area of 1920 by 1040.
QString screenPreset(int width, int height);

std::optional<Preset> ParsePreset(const QString& text);

// A preset scaled by p percent (0 < p <= 100, else nothing), optionally with width and
// height exchanged; the name is label " " p "%".
struct ScaledSize {
    QString name;
    float width = 0;
    float height = 0;
};
std::optional<ScaledSize> scalePreset(const Preset& preset, double percent, bool swap);

// --- screen work area ---

// Width and height of the primary screen without panels and task bars, in device pixels;
// 0, 0 without one.
void ScrnSz(int& nWd, int& nHi);
// Tests put a fixed rectangle in place of the screen; an empty function restores it.
void setWorkAreaSource(std::function<QRect()> source);

// --- list edits ---

// The non-empty entries of a list, in order: the rows of the dialog's list.
QStringList listEntries(const QString& list);

// A list after an edit, with the row selected afterwards (-1 for none).
struct ListEdit {
    QString list;
    int selected = -1;
};

// i is the selected row (-1 for none). Rows out of range leave the list as it is.
ListEdit moveUp(const QString& list, int i);
ListEdit moveDown(const QString& list, int i);
ListEdit deleteEntry(const QString& list, int i);
ListEdit replaceEntry(const QString& list, int i, const QString& entry);
ListEdit insertEntry(const QString& list, int i, const QString& entry);

// True when an entry of that name exists, in any letter case.
bool nameTaken(const QString& list, const QString& name);

// The list with "Temporary,W,H,px:" in front unless it already holds a Temporary entry.
QString withTemporary(const QString& list, int width, int height);

} // namespace sizes
