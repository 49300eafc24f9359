#pragma once
#include "app/clockface.h"
#include "base/dpi.h"

#include <optional>
#include <vector>

namespace vemora {

// The clock window at 96 pixels per inch.
inline constexpr int kClockWidth = 230;
inline constexpr int kClockHeight = 55;

// A monitor as the system reports it: its rectangle on the virtual screen and
// its resolution.
struct MonitorArea {
    PixelRect bounds;
    int dpi = kDesignDpi;
    bool primary = false;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Where the clock stands, and the resolution of the monitor it stands on.
struct ClockPlace {
    ScreenPoint topLeft;
    int dpi = kDesignDpi;
    bool operator==(const ClockPlace&) const = default;
};

// The clock's size on a monitor of the given resolution, as its face lays it out.
PixelRect ClockRectAt(ScreenPoint topLeft, int dpi, const ClockFace& face = {});

// The top right corner of the primary monitor (the first one when none says
// it is primary), for the clock at that monitor's resolution.
ClockPlace TopRightOfPrimary(const std::vector<MonitorArea>& monitors, const ClockFace& face = {});

// Where the clock starts: at the stored top-left corner when the clock, at
// the resolution of a monitor, overlaps that monitor; otherwise, and without
// a stored corner, at the top right of the primary monitor.
ClockPlace StartPlace(std::optional<ScreenPoint> stored, const std::vector<MonitorArea>& monitors,
                      const ClockFace& face = {});

enum class Companion { WeatherStrip, Calendar, Horoscope };

// How far the horoscope panel's window reaches past the screen's right edge
// at its place, at 96 pixels per inch: no further than its picture is
// transparent there.
inline constexpr int kPanelOverhang = 60;

// The top left corner of a companion window, from the clock's window
// rectangle: the weather strip reaches 8 pixels up into the clock, the
// calendar stands 35 pixels under it and 10 to the right, and the horoscope
// panel hangs under it at the screen's right edge, its window reaching
// kPanelOverhang past it (screenWidth: that edge's x; pixels at 96 per inch,
// scaled to the given resolution).
ScreenPoint CompanionPlace(Companion companion, const PixelRect& clock, int companionWidth, int screenWidth,
                           int dpi = kDesignDpi);

// The top left corner nearest to at that keeps a window of that size inside
// the area (a monitor's work area); a window larger than the area keeps its
// top left corner inside it.
ScreenPoint KeepInside(ScreenPoint at, int width, int height, const PixelRect& area);

// Where the clock stands after its size changed (12小时制, 显示日期, 大小):
// a clock never dragged keeps its top right corner, as it started there; a
// dragged one keeps the corner of its rectangle nearest to the edges of the
// area (a monitor's work area). Either way it stays inside that area.
ScreenPoint RefitClock(const PixelRect& clock, int newWidth, int newHeight, bool dragged, const PixelRect& area);

// Where a companion goes when the one already shown there (taken) would be
// covered by it: its place (wanted) when they do not overlap; otherwise
// beside the clock's other side: left of the taken one when the clock stands
// in the right half of the area, right of it otherwise, at the same height,
// when that fits the area; otherwise its place.
ScreenPoint AvoidCovering(ScreenPoint wanted, int width, int height, const PixelRect& taken, const PixelRect& clock,
                          const PixelRect& area);

// After the monitors changed: the top right of the primary monitor when the
// clock's rectangle lies on none of them any more; nothing when it is still
// seen.
std::optional<ClockPlace> PlaceAfterDisplayChange(const PixelRect& clock, const std::vector<MonitorArea>& monitors,
                                                  const ClockFace& face = {});

} // namespace vemora
