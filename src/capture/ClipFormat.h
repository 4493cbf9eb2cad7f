#pragma once
// The first clipboard format present, in the fixed order the intakes test:
// 2 picture, 8 device-independent picture, 14 metafile, -16639 rich text, 1 plain text,
// 0 none. Here a picture of any kind reports 2 and HTML counts as rich text.
class QMimeData;

namespace clipformat {
constexpr int kBitmap = 2;
constexpr int kDib = 8;
constexpr int kMetafile = 14;
constexpr int kRichText = -16639;
constexpr int kText = 1;
} // namespace clipformat

int ClipFormat(const QMimeData* data);
// The same for the system clipboard.
int ClipFormat();

// True when the clipboard holds a picture that can be pasted (formats 2, 8 and 14).
bool CanPasteImage();
