#pragma once
// Whole-picture pixel moves (quarter turns and mirrors) for pictures of 8 bits a pixel and
// more. An 8K screen is 100 MB or more: the moves go through the picture in cache-sized
// tiles, and a large one is shared among the machine's cores, each writing (and so first
// touching) its own band of the new picture. Form, palette and resolution are kept.
#include <QImage>

namespace imaging {

// Null when the picture is below 8 bits a pixel or memory runs out.
QImage quarterTurned(const QImage& src, bool clockwise);
QImage mirroredPixels(const QImage& src, bool leftRight, bool topBottom);

} // namespace imaging
