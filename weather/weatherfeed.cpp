#include "weather/weatherfeed.h"

namespace vemora {

ForecastStep NextForecastStep(const WeatherSettings& settings, bool cityLookedUp) {
    if (settings.HasPlace())
        return ForecastStep::Forecast;
    if (!settings.city.empty() && !cityLookedUp)
        return ForecastStep::LookUpCity;
    return ForecastStep::NoCity;
}

ForecastStripText ComposeForecastStrip(const std::optional<KeptForecast>& kept, std::string_view place,
                                       std::string_view failure, bool noCity, std::int64_t now) {
    ForecastStripText text;
    if (kept) {
        text.line = ForecastLine(place.empty() ? std::string_view(kept->place) : place, kept->forecast);
        text.tail = AgeText(kept->fetchedAt, now);
        text.tip = ForecastTooltip(kept->forecast);
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
