#pragma once
#include "app/clocktick.h"
#include "base/dpi.h"
#include "settings/settings.h"

#include <functional>
#include <string>
#include <string_view>

// The clock as its user has it: seconds or not, 12- or 24-hour time, the date
// line under the time, and its size. With ShowSeconds=1, Hour12=0, ShowDate=0
// and Scale=100 everything here gives exactly the clock of the locale's long
// time format at the monitor's resolution.
namespace vemora {

// Percent: the default and the bounds are the settings key's (kDefaultScale, kScaleRange).
inline constexpr int kMinScale = static_cast<int>(kScaleRange.low), kMaxScale = static_cast<int>(kScaleRange.high);

// The keys ShowSeconds, Hour12, ShowDate and Scale, as read.
struct ClockFace {
    bool showSeconds = true;
    bool hour12 = false; // 上午/下午 and a 12-hour clock instead of the locale's format
    bool showDate = false;
    int scale = kDefaultScale;
};

int ClampScale(int percent);

// GBK: 上午 and 下午.
inline constexpr const char* kMorningDesignator = "\xC9\xCF\xCE\xE7";   // 上午
inline constexpr const char* kAfternoonDesignator = "\xCF\xC2\xCE\xE7"; // 下午

// The format FormatTimeText is to draw the clock with. Without seconds the
// minutes end the time (a designator the locale puts last still follows).
// Hour12 makes it a 12-hour clock with 上午 or 下午 and a blank before the time
// (hour 0 is 上午 12, hour 12 下午 12), whatever the locale's clock and
// designators; the hour keeps the locale's choice of a leading zero and the
// locale's separator. Without Hour12 the clock is the locale's own, 12-hour
// when the locale's is.
TimeFormat ClockTimeFormat(const TimeFormat& locale, const ClockFace& face);

// Turns UTF-8 into GBK; the shell passes one that uses code page 936.
using Utf8ToGbk = std::function<std::string(std::string_view)>;

// The date line under the time, in GBK: "12月7日 星期一", and with the lunar date
// "12月7日 星期一 十月廿九" (闰六月初一 in a leap month), which days beyond the
// Chinese calendar's years go without. The date must be a valid one.
std::string DateLineText(int year, int month, int day, bool lunar, const Utf8ToGbk& toGbk);

// What the clock answers WM_GETTEXT with, in GBK: the time as it was last
// drawn, then a blank and the date line when one is shown (empty when not).
std::string ClockWindowText(const std::string& timeText, const std::string& dateLine);

// Design pixels at 96 pixels per inch and 100 %. In 宋体 at the time's size,
// with its glow, "下午 12:59:59" reaches about 260 pixels from the left edge
// where "23:59:59" reaches 165: Hour12 with seconds widens the clock. The date
// line is a band under the time's 55 pixels, its text at a bit over 40 % of
// the time's size; its longest, "12月31日 星期三 闰六月廿九", ends about 220
// pixels from the left edge.
inline constexpr int kHour12ExtraWidth = 40;
inline constexpr int kDateLineHeight = 24;
inline constexpr int kDateEmSize = 16;
inline constexpr int kDateOriginX = 10, kDateOriginY = 56; // the text's origin in the window

// The resolution the clock is drawn at: the monitor's times Scale percent,
// halves rounded up. Every length of the clock (window, em sizes, pens, text
// origin) is its design length at this one resolution, so the scale and the
// monitor's resolution are applied together, once.
int ClockDpi(int monitorDpi, int scalePercent);

// Where the clock's pieces go, in pixels of the window.
struct ClockLayout {
    int dpi = kDesignDpi; // ClockDpi: give it to the renderer as its resolution
    int width = 0, height = 0;
    int timeHeight = 0; // the time's band, from the top of the window
    int timeEmSize = 0;
    int dateEmSize = 0; // 0: no date line
    int dateOriginX = 0, dateOriginY = 0;
    bool operator==(const ClockLayout&) const = default;
};
ClockLayout LayoutClock(int monitorDpi, const ClockFace& face);

} // namespace vemora
