#pragma once
#include "base/datetime.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

// What the locale says about its long time format.
struct TimeFormat {
    bool twelveHour = false;
    bool leadingZero = false;     // hour with a leading zero
    bool designatorFirst = false; // AM/PM before the time (twelve-hour clocks only)
    std::string separator = ":";
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
    bool seconds = true; // false: the minutes end the time, without the separator after them
};

// The time text of the clock, in the locale's long time format (ANSI bytes).
std::string FormatTimeText(const TimeFormat& format, int hour, int minute, int second);

struct TickPlan {
    bool shake = false;          // hourly alert instead of a redraw
    bool refreshWeather = false; // ShowWeather before the redraw
    bool redraw = true;
};

// What the top of the current hours has had so far, by hour number (hours
// since the day count's origin), so that each hour gets its alert and its
// refresh even when the tick that should have brought them came late.
struct HourlyState {
    long long alerted = -1;   // the last hour whose alert shook the clock
    long long refreshed = -1; // the last hour whose weather was refreshed
};

// The hourly alert and the weather refresh, decided from the time itself, so
// that any time format the locale gives works. In the first minute of an
// hour: with wake on, seconds 0 and 1 shake (the tick ends without a redraw),
// and so does the first later tick of that minute when neither came; from
// second 2 on, with weather on, the first tick of the minute refreshes.
TickPlan PlanTick(const DateTimeParts& now, bool wake, bool weather, HourlyState& state);

// Back from sleep: true when the weather is on and the sleep crossed into
// another hour, whose refresh then waits for the network to return instead
// of coming with the next tick.
bool RefreshAfterResume(const DateTimeParts& before, const DateTimeParts& now, bool weather, HourlyState& state);

// Ticks come a few milliseconds after each whole second of the system clock.
inline constexpr int kTickMarginMs = 3;
// From a moment at the given millisecond of its second to just after the next whole second.
int NextTickDelayMs(int millisecond);
// Whole seconds since the day count's origin: equal exactly for moments in the same second.
long long WholeSeconds(const DateTimeParts& t);
// Whole hours since the day count's origin.
long long HourNumber(const DateTimeParts& t);

// The clock's font at start-up, and the stored font that is not installed.
struct StartFont {
    std::string family;  // what the clock draws with
    std::string missing; // the stored family when it is not installed, to be told once; empty otherwise
};

// A stored font that is installed is kept (family names compare without
// regard to ASCII case, as the system's do). Without one (no Font key in the
// file, or an empty one) the clock draws with the first installed of 微软雅黑
// and 宋体, else with the system's message font; so does it instead of a
// stored font that is not installed, which would leave no clock at all.
// Names are GBK; the message font counts as installed.
StartFont ChooseStartFont(const std::optional<std::string>& stored, const std::vector<std::string>& installed,
                          const std::string& messageFont);

// What the user is told about a stored font that is not installed (UTF-8,
// and so are both names).
std::string MissingFontText(std::string_view missingFamily, std::string_view usedFamily);

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
