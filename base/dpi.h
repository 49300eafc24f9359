#pragma once

namespace vemora {

// Every window is designed at 96 pixels per inch; on a monitor of another
// resolution its lengths grow or shrink by dpi / 96.
inline constexpr int kDesignDpi = 96;

// A length designed at 96 pixels per inch, at another resolution, rounded to
// the nearest pixel, halves away from zero.
inline constexpr int ScaleForDpi(int length, int dpi) {
    return length < 0 ? -ScaleForDpi(-length, dpi) : (length * dpi + 48) / 96;
}

// A rectangle of pixels, right and bottom excluded.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// A designed rectangle at another resolution: each edge scaled on its own, so
// that rectangles that touch at 96 pixels per inch still touch.
PixelRect ScaleRectForDpi(const PixelRect& designed, int dpi);
// The designed pixel under a pixel of a window drawn at dpi.
int DesignPixel(int pixel, int dpi);
// The pixels of a window drawn at dpi that a designed rectangle touches, edges
// rounded outwards: what must be repainted when that rectangle changes.
PixelRect CoverRectForDpi(const PixelRect& designed, int dpi);

} // namespace vemora
