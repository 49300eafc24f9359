#include "app/clockplacement_win.h"

#include "app/desktop_win.h"
#include "base/dpi_win.h"

namespace vemora {

void ClockPlacement::Attach(HWND clock) {
    clock_ = clock;
    dpi_ = WindowDpi(clock);
}

void ClockPlacement::PlaceAtStart(std::optional<ScreenPoint> stored, const ClockFace& face) {
    if (stored)
        MoveTo(StartPlace(*stored, Monitors(), face), face);
}

void ClockPlacement::MoveTo(const ClockPlace& place, const ClockFace& face) {
    const PixelRect r = ClockRectAt(place.topLeft, place.dpi, face);
    SetWindowPos(clock_, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    // Arriving on a monitor of another resolution may have moved the clock to
    // the system's suggestion; the corner chosen here is the one that counts.
    dpi_ = WindowDpi(clock_);
    const PixelRect settled = ClockRectAt(place.topLeft, dpi_, face);
    if (!(settled == r))
        SetWindowPos(clock_, nullptr, settled.left, settled.top, settled.Width(), settled.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ClockPlacement::DisplayChanged(const ClockFace& face) {
    RECT r{};
    GetWindowRect(clock_, &r);
    const std::optional<ClockPlace> place =
        PlaceAfterDisplayChange({r.left, r.top, r.right, r.bottom}, Monitors(), face);
    if (place)
        MoveTo(*place, face);
    return place.has_value();
}

void ClockPlacement::DpiChanged(int dpi, LPARAM suggested, const ClockFace& face, bool dragged) {
    dpi_ = dpi;
    MoveToSuggestedRect(clock_, suggested);
    Fit(face, dragged);
}

void ClockPlacement::Fit(const ClockFace& face, bool dragged) {
    RECT r{};
    GetWindowRect(clock_, &r);
    const PixelRect fit = ClockRectAt({r.left, r.top}, dpi_, face);
    if (fit.Width() == r.right - r.left && fit.Height() == r.bottom - r.top)
        return;
    const ScreenPoint at =
        RefitClock({r.left, r.top, r.right, r.bottom}, fit.Width(), fit.Height(), dragged, WorkAreaOf(clock_));
    SetWindowPos(clock_, nullptr, at.x, at.y, fit.Width(), fit.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<ScreenPoint> ClockPlacement::MovedByUser(const WINDOWPOS& position) const {
    if (!clock_ || (position.flags & SWP_NOMOVE) || (!inMoveLoop_ && GetCapture() != clock_))
        return std::nullopt;
    return ScreenPoint{position.x, position.y};
}

} // namespace vemora
