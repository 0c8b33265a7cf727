// Twips: the unit of every window position and size in this program (1/1440 inch). The windows
// are laid out at 15 twips per pixel, the 96-dots-per-inch desktop they were drawn for; Qt scales
// pixels on high-density screens itself.
#pragma once

#include <QPoint>
#include <QRect>

#include <cmath>

namespace quillmere::Twips {

inline constexpr int kPerPixel = 15;

inline QRect Rect(int left, int top, int width, int height) {
    return {left / kPerPixel, top / kPerPixel, width / kPerPixel, height / kPerPixel};
}

inline int ToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kPerPixel));
}

inline int FromPixels(int pixels) {
    return pixels * kPerPixel;
}

}  // namespace quillmere::Twips
