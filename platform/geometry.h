#pragma once
// Window geometry is given in twips; 15 twips make one pixel at 96 dpi.

namespace platform {

constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel (halves away from zero).
constexpr int twipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace platform
