#pragma once
#include <string>
#include <vector>

namespace vemora {

// What the locale says about its long time format.
struct TimeFormat {
    bool twelveHour = false;
    bool leadingZero = false;   // hour with a leading zero
    bool designatorFirst = false; // AM/PM before the time (twelve-hour clocks only)
    std::string separator = ":";
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
};

// The time text of the clock, in the locale's long time format (ANSI bytes).
std::string FormatTimeText(const TimeFormat& format, int hour, int minute, int second);
// The last six bytes of the time text (all of it when shorter).
std::string TimeTail(const std::string& timeText);

struct TickPlan {
    bool shake = false;          // hourly alert instead of a redraw
    bool refreshWeather = false; // ShowWeather before the redraw
    bool redraw = true;
};
TickPlan PlanTick(const std::string& tail, bool wake, bool weather);

// The timed action falls due at the first tick strictly after its due time.
bool ActionDue(bool armed, double now, double due);

// The clock's font at start-up: the stored one when it is installed (family
// names compare without regard to ASCII case, as the system's do), else the
// preferred one when that is installed, else still the stored one.
std::string ClockFontAtStart(const std::string& stored, const std::vector<std::string>& installed,
                             const std::string& preferred);

inline constexpr int kShakeSteps = 101;
inline constexpr int kShakePauseMs = 2;

struct ShakeStep {
    int dx = 0, dy = 0;
};
// One step of the hourly shake's random walk. random(2) must return 0 or 1 with
// equal chances; it is asked four times: horizontal size, vertical size,
// horizontal sign, vertical sign.
template <typename Random> ShakeStep NextShakeStep(Random&& random) {
    const int sizeX = random(2);
    const int sizeY = random(2);
    const int signX = random(2) + 1 == 2 ? -1 : 1;
    const int signY = random(2) + 1 == 2 ? -1 : 1;
    return {signX * sizeX, signY * sizeY};
}

} // namespace vemora
