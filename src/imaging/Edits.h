#pragma once
// The picture edits of the image-edit popup as pure operations on the headless model, each
// made to be one step of PictureDocument::edit. Every edit returns false and leaves the
// picture as it was when there is nothing to do: no picture, no usable range. When memory runs out
// it throws std::bad_alloc, the picture still as it was, so that a failure is never mistaken for an
// edit with nothing to do. An edit keeps the picture's resolution; where it keeps the form of the
// picture it keeps the depth code too.
#include "imaging/ImageModel.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace imaging {

// The range as the pixels it covers: a range is present when any of x1, y1, x2, y2 is
// greater than 0; its corners may come in either order; both edges belong to it, as the
// engine's crop bounds do (x1..x2, y1..y2), limited to the picture. Empty without a picture,
// without a range, or when the range lies wholly outside the picture.
QRect rangePixels(const ImageModel& picture);

// Sets the range to 0; false when there was none.
bool clearRange(ImageModel& picture);

// Keeps only the range's pixels (rangePixels) and clears the range. Depth code kept.
bool trimToRange(ImageModel& picture);

enum class FoldDirection { Rows, Columns };

// Removes the band of rows y1..y2 (Rows) or columns x1..x2 (Columns) that the range covers
// and joins the parts before and after it: the rows after the band move up to row y1 (the
// columns after it left to column x1). A 640 x 2000 picture folded over rows 500..799 becomes
// 640 x 1700. The band is limited to the picture first, so a range reaching past the edge
// never costs pixels outside it. The pixels move as they are, in the picture's own form:
// a palette picture keeps its palette, indices and depth code. Clears the range; false when
// the band would take the whole picture.
bool foldOutBand(ImageModel& picture, FoldDirection direction);

// The modes of the reduction menu, with their menu numbers.
enum class ReduceMode {
    KeepRatioByWidth = 0,  // "横方向を基準に縮小": width of the range, height to match
    KeepRatioByHeight = 1, // "縦方向を基準に縮小": height of the range, width to match
    RangeSize = 2,         // "縦横比率を変えて縮小": width and height of the range
};

// Target size of a reduction: dx = x2 - x1 and dy = y2 - y1 with the corners ordered and
// limited to the picture's edges; mode 0 sets dy = dx / W * H, mode 1 dx = dy / H * W, in
// single precision, each rounded halves to even. On 1000 x 800 the range (100, 100)-(500, 300)
// gives 400 x 320, 250 x 200 and 400 x 200. Empty when dx or dy is 0 or a side rounds to 0.
QSize reducedSize(const QSize& picture, const Range& range, ReduceMode mode);

// Resizes the whole picture to reducedSize, smoothly, and clears the range. Smoothing makes
// colours no palette holds: a picture of depth code 1, 4, 40 or 8 comes out at 16 bits (depth
// code 16); codes 80, 16, 24 and 32 keep their depth.
bool reduceToRange(ImageModel& picture, ReduceMode mode);

// Mirrors left to right or flips top to bottom; turns a quarter clockwise (Right90) or
// anticlockwise (Left90), or half (Right180 and Left180 give the same picture). Turns by whole
// quarters move pixels exactly, so no smoothing or background is involved; a quarter turn
// swaps width and height and the resolutions. Form, palette, depth code and range are kept.
enum class Turn { MirrorLeftRight, FlipTopBottom, Right90, Right180, Left90, Left180 };
bool rotate(ImageModel& picture, Turn turn);

// Converts the picture to a depth code (DepthCode.h), the code following. 4-bit grey is
// reached by way of 8-bit grey; when either step fails nothing changes. The range is kept.
// False without a picture or for a code that is not one.
bool convertToDepth(ImageModel& picture, int depthCode);

enum class Emphasis { Relative, Marker };

// Marks the range so that it stands out; only the pixels of rangePixels change, the range
// stays for a further emphasis. Relative lifts the range: every colour channel + 55, at most
// 255. Marker lays a highlighter over it: every channel multiplied by that of yellow
// (255, 255, 0), (v * m + 127) / 255. Alpha is kept. A palette picture keeps its depth code
// and every pixel outside the range its colour (fitIntoPalette).
bool emphasizeRange(ImageModel& picture, Emphasis kind);

} // namespace imaging
