#pragma once
#include "weather/airquality.h"
#include "weather/forecast.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The weather feed's decisions, apart from the windows and the network: which
// request comes next, and what the strip says.
namespace vemora {

// What the feed reads of the clock's settings, as values.
struct WeatherSettings {
    bool on = false;      // the strip is switched on
    std::string pageHost; // a weather page's host: the page feeds the strip instead of the forecast service
    std::string city;     // upper-case pinyin
    std::string place;    // GBK: the place's name as the geocoder gave it
    std::optional<double> latitude, longitude;
    std::string forecastApi, geocodeApi, airQualityApi; // "scheme://host[:port]", empty: the service's own
    // How the strip draws: the clock's font (GBK), colours and transparency.
    std::string font;
    std::uint32_t startColour = 0, endColour = 0;
    int transparency = 255;
    int scale = 100; // percent: the strip hangs under the clock at the clock's size

    bool ForecastService() const { return pageHost.empty(); }
    bool HasPlace() const { return latitude && longitude; }
};

// What the forecast side asks when its time has come.
enum class ForecastStep {
    Forecast,   // the stored place's forecast
    LookUpCity, // a settings file from before the forecast service names only a pinyin city: looked up once
    NoCity,     // nothing to ask about: the strip asks for a city
};
ForecastStep NextForecastStep(const WeatherSettings& settings, bool cityLookedUp);

// The forecast strip's line, the tail kept when the line is cut (the kept
// answer's age), the tooltip (UTF-8) and the air the line shows. place: the
// stored place's name; the kept answer's own when empty. failure: why the
// last request gave nothing; airFailure: why the last air request did. The
// air goes with the forecast it came after, not with a much older one.
struct ForecastStripText {
    std::string line, tail, tip;
    std::optional<AirQuality> air;
};
ForecastStripText ComposeForecastStrip(const std::optional<KeptForecast>& kept, std::string_view place,
                                       std::string_view failure, bool noCity, std::int64_t now,
                                       const std::optional<KeptAir>& air = std::nullopt,
                                       std::string_view airFailure = {});
inline constexpr const char* kSetCityHint = "右击设置城市";

} // namespace vemora
