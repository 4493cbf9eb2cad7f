#pragma once
// Depth codes name a picture's colour depth: bits per pixel 1, 4, 8, 16, 24 or 32,
// with 40 for 4-bit grey and 80 for 8-bit grey.
#include <QImage>

namespace imaging {

bool isDepthCode(int code);
// Bits per pixel that a depth code stands for (40 -> 4, 80 -> 8).
int bitsOfDepthCode(int code);
bool isGreyDepthCode(int code);

// Converts an image to the in-memory form of a depth code: Mono for 1, Indexed8 with
// at most 16 colours for 4 and 40, Indexed8 for 8 (4 and 8 by reduceColours), Grayscale8 for 80,
// RGB16 for 16, RGB888 for 24, RGB32 (or ARGB32 when it has alpha) for 32.
QImage convertToDepthCode(const QImage& src, int code);

// The depth code that describes an image as it is in memory.
int depthCodeOf(const QImage& image);

} // namespace imaging
