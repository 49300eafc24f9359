#include "weather/weatherfeed.h"

namespace vemora {

namespace {
// An air reading older than the forecast by more than this is not shown with it.
constexpr std::int64_t kAirFollowsForecastSeconds = 2 * 3600;
} // namespace

ForecastStep NextForecastStep(const WeatherSettings& settings, bool cityLookedUp) {
    if (settings.HasPlace())
        return ForecastStep::Forecast;
    if (!settings.city.empty() && !cityLookedUp)
        return ForecastStep::LookUpCity;
    return ForecastStep::NoCity;
}

ForecastStripText ComposeForecastStrip(const std::optional<KeptForecast>& kept, std::string_view place,
                                       std::string_view failure, bool noCity, std::int64_t now,
                                       const std::optional<KeptAir>& air, std::string_view airFailure) {
    ForecastStripText text;
    if (kept) {
        text.line = ForecastLine(place.empty() ? std::string_view(kept->place) : place, kept->forecast);
        text.tail = AgeText(kept->fetchedAt, now);
        if (air && air->fetchedAt + kAirFollowsForecastSeconds >= kept->fetchedAt)
            text.air = ComputeAqi(air->reading);
        std::string airLines = text.air ? AirQualityText(*text.air) : std::string();
        if (!airFailure.empty())
            airLines += (text.air ? "\n空气质量未能更新：" : "空气质量暂不可用：") + std::string(airFailure);
        text.tip = ForecastTooltip(kept->forecast, airLines, text.air ? kAirQualityCredit : "");
        if (!failure.empty())
            text.tip = std::string(failure) + "\n" + text.tip;
    } else if (noCity) {
        // No city yet is no failure: the strip says where to give one.
        text.line = kSetCityHint;
        text.tip = "在天气栏上右击，选“更改城市”。";
    } else {
        text.line = kForecastUnavailable;
        text.tip = failure;
    }
    return text;
}

} // namespace vemora
