#pragma once
// Reduces a picture to a palette of at most 16 or 256 colours for the 4- and 8-bit depth
// codes. A picture with no more colours than that keeps them exactly; any other gets an
// adaptive palette, dithered only when it looks like a photograph.
#include <QImage>

namespace imaging {

enum class Dither { Auto, Never, Always };

// An Indexed8 picture of at most maxColours (2 to 256) colours, with the source's dots
// per metre. Alpha is ignored: captures are opaque.
QImage reduceColours(const QImage& src, int maxColours, Dither dither = Dither::Auto);

// Whether a picture looks like a photograph rather than flat user-interface colours,
// the rule that Dither::Auto follows.
bool looksPhotographic(const QImage& src);

} // namespace imaging
