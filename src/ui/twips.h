#pragma once

#include <cmath>

namespace quillfen {

// Window measures are given in twips: 15 twips per device-independent pixel.
constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) {
    return int(std::nearbyint(twips / kTwipsPerPixel));
}
inline double pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace quillfen
