#include "app/placement.h"

#include <algorithm>

namespace vemora {

namespace {

// Far beyond any screen, with room left to add a window's size: a stored
// corner such as PosLeft=2147483647 must not overflow the sum that gives the
// window's other edge.
constexpr int kFarthestPixel = 1 << 28;

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

} // namespace

PixelRect ClockRectAt(ScreenPoint p, int dpi, const ClockFace& face) {
    p.x = std::clamp(p.x, -kFarthestPixel, kFarthestPixel);
    p.y = std::clamp(p.y, -kFarthestPixel, kFarthestPixel);
    const ClockLayout layout = LayoutClock(dpi, face);
    return {p.x, p.y, p.x + layout.width, p.y + layout.height};
}

ClockPlace TopRightOfPrimary(const std::vector<MonitorArea>& monitors, const ClockFace& face) {
    if (monitors.empty())
        return {};
    const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const MonitorArea& m) { return m.primary; });
    const MonitorArea& m = primary != monitors.end() ? *primary : monitors.front();
    return {{m.bounds.right - LayoutClock(m.dpi, face).width, m.bounds.top}, m.dpi};
}

ClockPlace StartPlace(std::optional<ScreenPoint> stored, const std::vector<MonitorArea>& monitors,
                      const ClockFace& face) {
    if (stored) {
        // The clock takes the size of the monitor it stands on, so each
        // monitor is asked with the clock at its own resolution.
        for (const MonitorArea& m : monitors)
            if (Overlap(ClockRectAt(*stored, m.dpi, face), m.bounds))
                return {*stored, m.dpi};
    }
    return TopRightOfPrimary(monitors, face);
}

std::optional<ClockPlace> PlaceAfterDisplayChange(const PixelRect& clock, const std::vector<MonitorArea>& monitors,
                                                  const ClockFace& face) {
    for (const MonitorArea& m : monitors)
        if (Overlap(clock, m.bounds))
            return std::nullopt;
    return TopRightOfPrimary(monitors, face);
}

ScreenPoint CompanionPlace(Companion companion, const PixelRect& clock, int companionWidth, int screenWidth, int dpi) {
    switch (companion) {
    case Companion::WeatherStrip:
        return {clock.left, clock.bottom - ScaleForDpi(8, dpi)};
    case Companion::Calendar:
        return {clock.left + ScaleForDpi(10, dpi), clock.bottom + ScaleForDpi(35, dpi)};
    case Companion::Horoscope:
        // The picture's right margin is transparent: the sheet itself ends
        // short of the edge.
        return {screenWidth - companionWidth + ScaleForDpi(kPanelOverhang, dpi), clock.bottom};
    }
    return {clock.left, clock.bottom};
}

ScreenPoint RefitClock(const PixelRect& clock, int newWidth, int newHeight, bool dragged, const PixelRect& area) {
    ScreenPoint at{clock.left, clock.top};
    const bool keepRight = !dragged || area.right - clock.right < clock.left - area.left;
    const bool keepBottom = dragged && area.bottom - clock.bottom < clock.top - area.top;
    if (keepRight)
        at.x = clock.right - newWidth;
    if (keepBottom)
        at.y = clock.bottom - newHeight;
    return KeepInside(at, newWidth, newHeight, area);
}

ScreenPoint AvoidCovering(ScreenPoint wanted, int width, int height, const PixelRect& taken, const PixelRect& clock,
                          const PixelRect& area) {
    const PixelRect there{wanted.x, wanted.y, wanted.x + width, wanted.y + height};
    if (!Overlap(there, taken))
        return wanted;
    const bool clockOnTheRight = clock.left + clock.right > area.left + area.right;
    const ScreenPoint beside{clockOnTheRight ? taken.left - width : taken.right, wanted.y};
    if (beside.x >= area.left && beside.x + width <= area.right)
        return beside;
    return wanted;
}

ScreenPoint KeepInside(ScreenPoint at, int width, int height, const PixelRect& area) {
    at.x = std::max(std::min(at.x, area.right - width), area.left);
    at.y = std::max(std::min(at.y, area.bottom - height), area.top);
    return at;
}

} // namespace vemora
