#pragma once
#include "base/argb.h"
#include "weather/forecast.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The air-quality service (Open-Meteo's, fed by CAMS) and China's air quality
// index as HJ 633-2012 reckons it from the hour's concentrations. Text is UTF-8.
namespace vemora {

inline constexpr const char* kDefaultAirQualityApi = "https://air-quality-api.open-meteo.com";
inline constexpr const char* kAirQualityCredit = "空气质量数据：CAMS / Open-Meteo.com";

enum class Pollutant { Pm25, Pm10, So2, No2, Co, O3 };
inline constexpr std::size_t kPollutantCount = 6;

// "PM2.5", "PM10", "SO2", "NO2", "CO", "O3".
const char* PollutantName(Pollutant p);

// The hour's concentrations as the service gives them, all in µg/m³ (carbon
// monoxide too); a pollutant it did not give is nothing.
struct AirReading {
    std::array<std::optional<double>, kPollutantCount> ugm3;
    std::string time; // "2025-10-18T14:00", local to the place, or empty
    std::optional<double>& operator[](Pollutant p) { return ugm3[static_cast<std::size_t>(p)]; }
    const std::optional<double>& operator[](Pollutant p) const { return ugm3[static_cast<std::size_t>(p)]; }
};

struct AirQuality {
    int aqi = 0;
    std::vector<Pollutant> primary; // those that give the AQI, when it is above 50
};

// The index of one pollutant's concentration (µg/m³), by linear
// interpolation between its breakpoints, rounded up; 500 at and above the
// top one. Nothing for a negative value, and for sulphur dioxide above
// 800 µg/m³, where the hour's value is not used.
std::optional<int> IndividualAqi(Pollutant p, double ugm3);
// The largest index of the pollutants there are, and which give it; nothing
// when there is none.
std::optional<AirQuality> ComputeAqi(const AirReading& reading);

// 优, 良, 轻度污染, 中度污染, 重度污染, 严重污染.
const char* AqiCategory(int aqi);
// The category as the strip shows it: 优, 良, 轻度, 中度, 重度, 严重.
const char* AqiShortCategory(int aqi);
// The category's colour on the strip: green, yellow, orange, red, purple,
// maroon, each light enough to read over the strip's dark glow.
Argb AqiColour(int aqi);

// "空气质量：良 82，首要污染物 PM2.5" (without the pollutant at 50 and below).
std::string AirQualityText(const AirQuality& air);

// {base}/v1/air-quality?latitude=..&longitude=..&current=pm2_5,...&timezone=auto
std::string AirQualityUrl(const ServiceBase& base, double latitude, double longitude);

struct AirQualityAnswer {
    std::optional<AirReading> reading; // set exactly when error.problem is None
    AnswerError error;
};
// An answer with no pollutant at all is Incomplete: no air part, never an index of 0.
AirQualityAnswer ParseAirQualityAnswer(int status, std::string_view body);

// The kept air part: "air.*" lines beside the forecast's in weather.cache. The
// forecast's reader passes over them, and a file written before them has no
// air part.
struct KeptAir {
    std::int64_t fetchedAt = 0; // Unix seconds
    AirReading reading;
};
std::string SerializeKeptAir(const KeptAir& kept);
std::optional<KeptAir> ParseKeptAir(std::string_view text);

// The strip's line with the air's category after it when everything fits:
// mark is where the category is in text (empty when it was left out, which
// happens first when the strip is too narrow).
struct StripLine {
    std::string text;
    std::size_t markFrom = 0, markTo = 0;
    Argb markColour = 0;
};
StripLine FitStripLine(std::string_view line, const std::optional<AirQuality>& air, std::string_view tail, int maxWidth,
                       const MeasureText& measure);

} // namespace vemora
