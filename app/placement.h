#pragma once

namespace vemora {

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

enum class Companion { WeatherStrip, Calendar, Horoscope };

// The top left corner of a companion window, from the clock's window
// rectangle: the weather strip reaches 8 pixels up into the clock, the
// calendar stands 35 pixels under it and 10 to the right, and the horoscope
// panel hangs under it from the screen's right edge, 60 of its pixels past it.
ScreenPoint CompanionPlace(Companion companion, const ScreenRect& clock, int companionWidth, int screenWidth);

} // namespace vemora
