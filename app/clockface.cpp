#include "app/clockface.h"

#include "base/datetime.h"
#include "base/dpi.h"
#include "calendar/lunar.h"
#include "render/glow.h"
#include "settings/settings.h"

#include <algorithm>
#include <cstdint>

namespace vemora {

int ClampScale(int percent) {
    return std::clamp(percent, kMinScale, kMaxScale);
}

TimeFormat ClockTimeFormat(const TimeFormat& locale, const ClockFace& face) {
    TimeFormat format = locale;
    format.seconds = face.showSeconds;
    if (face.hour12) {
        format.twelveHour = true;
        format.designatorFirst = true;
        format.amDesignator = kMorningDesignator;
        format.pmDesignator = kAfternoonDesignator;
    }
    return format;
}

std::string DateLineText(int year, int month, int day, bool lunar, const Utf8ToGbk& toGbk) {
    const int weekday = DayOfWeekSundayFirst(EncodeDate(year, month, day)) - 1;
    std::string line = std::to_string(month) + "月" + std::to_string(day) + "日 " + WeekdayName(weekday);
    if (lunar && InLunarRange(year, month, day)) {
        const LunarDate date = GregorianToLunar(year, month, day);
        line += " " + LunarMonthName(date.month, date.leap) + LunarDayName(date.day);
    }
    return toGbk(line);
}

std::string ClockWindowText(const std::string& timeText, const std::string& dateLine) {
    return dateLine.empty() ? timeText : timeText + " " + dateLine;
}

int ClockDpi(int monitorDpi, int scalePercent) {
    return (monitorDpi * ClampScale(scalePercent) + 50) / 100;
}

ClockLayout LayoutClock(int monitorDpi, const ClockFace& face) {
    ClockLayout layout;
    layout.dpi = ClockDpi(monitorDpi, face.scale);
    const int dpi = layout.dpi;
    layout.width = ScaleForDpi(kGlowWidth + (face.hour12 && face.showSeconds ? kHour12ExtraWidth : 0), dpi);
    layout.timeHeight = ScaleForDpi(kGlowHeight, dpi);
    layout.timeEmSize = ScaleForDpi(kClockEmSize, dpi);
    layout.height = layout.timeHeight;
    if (face.showDate) {
        // Edges scaled on their own, as everywhere, so the bands still meet.
        layout.height = ScaleForDpi(kGlowHeight + kDateLineHeight, dpi);
        layout.dateEmSize = ScaleForDpi(kDateEmSize, dpi);
        layout.dateOriginX = ScaleForDpi(kDateOriginX, dpi);
        layout.dateOriginY = ScaleForDpi(kDateOriginY, dpi);
    }
    return layout;
}

} // namespace vemora
