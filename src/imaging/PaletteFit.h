#pragma once
// Puts true-colour pixels into a region of a palette picture without touching the pixels
// around it.
#include <QImage>
#include <QRect>

namespace imaging {

// src is Mono or Indexed8 and may hold at most maxColours colours; part is the new content
// of region (its size), in 32-bit form. The palette keeps every colour used outside the
// region and takes the part's colours while there is room (an adaptive choice of them when
// there is not); the part is then drawn with error diffusion inside the region only, so its
// look survives even a full palette, and every pixel outside keeps its colour. Greys stay
// greys when grey is set. Returns a picture in src's format; null when memory runs out.
QImage fitIntoPalette(const QImage& src, const QRect& region, const QImage& part, int maxColours,
                      bool grey);

// src with region replaced by part (32-bit, region's size), in src's own form: a palette
// picture of depthCode through fitIntoPalette, any other by conversion. Pixels outside the
// region are untouched. Throws std::bad_alloc when memory runs out.
QImage replaceRegion(const QImage& src, int depthCode, const QRect& region, const QImage& part);

// Copies a rectangle of pixels between pictures of one form, as stored: palette indices stay
// indices, nothing is converted.
void copyPixels(const QImage& src, const QRect& from, QImage& dst, const QPoint& to);

} // namespace imaging
