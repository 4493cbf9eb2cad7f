#pragma once
// The first clipboard format present, in the fixed order the intakes test: 2 picture,
// -16639 rich text, 1 plain text, 0 none. A picture of any kind reports 2 and HTML counts as
// rich text.
class QMimeData;

namespace clipformat {
constexpr int kBitmap = 2;
constexpr int kRichText = -16639;
constexpr int kText = 1;
} // namespace clipformat

int ClipFormat(const QMimeData* data);
// The same for the system clipboard.
int ClipFormat();

// True when the clipboard holds a picture that can be pasted.
bool CanPasteImage();
