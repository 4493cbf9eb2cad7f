#pragma once
// Window geometry is designed in twips: 15 twips per pixel at 96 dots per inch.
#include <cmath>

namespace twips {
constexpr int kPerPixel = 15;
inline int toPx(double tw) {
    return int(std::lround(tw / kPerPixel));
}
inline double fromPx(int px) {
    return double(px) * kPerPixel;
}
} // namespace twips
