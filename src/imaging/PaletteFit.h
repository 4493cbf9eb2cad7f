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

} // namespace imaging
