#include "base/dpi.h"

namespace vemora {

namespace {

// Floor and ceiling of a / b for b > 0, for negative a too.
int FloorDiv(long long a, long long b) {
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}
int CeilDiv(long long a, long long b) {
    return -FloorDiv(-a, b);
}

} // namespace

PixelRect ScaleRectForDpi(const PixelRect& r, int dpi) {
    return {ScaleForDpi(r.left, dpi), ScaleForDpi(r.top, dpi), ScaleForDpi(r.right, dpi), ScaleForDpi(r.bottom, dpi)};
}

int DesignPixel(int pixel, int dpi) {
    return FloorDiv(static_cast<long long>(pixel) * kDesignDpi, dpi);
}

PixelRect CoverRectForDpi(const PixelRect& r, int dpi) {
    return {FloorDiv(static_cast<long long>(r.left) * dpi, kDesignDpi),
            FloorDiv(static_cast<long long>(r.top) * dpi, kDesignDpi),
            CeilDiv(static_cast<long long>(r.right) * dpi, kDesignDpi),
            CeilDiv(static_cast<long long>(r.bottom) * dpi, kDesignDpi)};
}

} // namespace vemora
