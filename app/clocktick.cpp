#include "app/clocktick.h"

#include "settings/settings.h"

#include <algorithm>

namespace vemora {

namespace {

std::string TwoDigits(int value) {
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + value / 10 % 10);
    s[1] = static_cast<char>('0' + value % 10);
    return s;
}

} // namespace

std::string FormatTimeText(const TimeFormat& format, int hour, int minute, int second) {
    std::string designator;
    int shownHour = hour;
    if (format.twelveHour) {
        designator = hour < 12 ? format.amDesignator : format.pmDesignator;
        shownHour = hour % 12 == 0 ? 12 : hour % 12;
    }
    std::string text;
    if (format.twelveHour && format.designatorFirst)
        text += designator + " ";
    text += format.leadingZero ? TwoDigits(shownHour) : std::to_string(shownHour);
    text += format.separator + TwoDigits(minute);
    if (format.seconds)
        text += format.separator + TwoDigits(second);
    if (format.twelveHour && !format.designatorFirst)
        text += " " + designator;
    return text;
}

long long WholeSeconds(const DateTimeParts& t) {
    const long long days = static_cast<long long>(EncodeDate(t.year, t.month, t.day));
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

long long HourNumber(const DateTimeParts& t) {
    return WholeSeconds(t) / 3600;
}

TickPlan PlanTick(const DateTimeParts& now, bool wake, bool weather, HourlyState& state) {
    TickPlan plan;
    if (now.minute != 0)
        return plan;
    const long long hour = HourNumber(now);
    if (wake && (now.second <= 1 || state.alerted != hour)) {
        state.alerted = hour;
        plan.shake = true;
        plan.redraw = false;
    } else if (weather && now.second >= 2 && state.refreshed != hour) {
        state.refreshed = hour;
        plan.refreshWeather = true;
    }
    return plan;
}

bool RefreshAfterResume(const DateTimeParts& before, const DateTimeParts& now, bool weather, HourlyState& state) {
    const long long hour = HourNumber(now);
    if (!weather || HourNumber(before) == hour)
        return false;
    state.refreshed = hour;
    return true;
}

int NextTickDelayMs(int millisecond) {
    const int ms = millisecond < 0 ? 0 : millisecond > 999 ? 999 : millisecond;
    return 1000 - ms + kTickMarginMs;
}

namespace {

bool SameFamily(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool Installed(const std::string& family, const std::vector<std::string>& installed) {
    return std::any_of(installed.begin(), installed.end(), [&](const std::string& f) { return SameFamily(f, family); });
}

} // namespace

StartFont ChooseStartFont(const std::optional<std::string>& stored, const std::vector<std::string>& installed,
                          const std::string& messageFont) {
    const bool chosen = stored && !stored->empty();
    if (chosen && Installed(*stored, installed))
        return {*stored, ""};
    StartFont font{messageFont, chosen ? *stored : ""};
    for (const char* family : {kFontYaHei, kFontSongTi})
        if (Installed(family, installed)) {
            font.family = family;
            break;
        }
    return font;
}

std::string MissingFontText(std::string_view missingFamily, std::string_view usedFamily) {
    return "找不到字体“" + std::string(missingFamily) + "”，时钟暂用“" + std::string(usedFamily) +
           "”显示；请在设置中另选一种字体";
}

} // namespace vemora
