#include "weather/airquality.h"

#include "base/utf8.h"
#include "net/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace vemora {

namespace {

// The index at each breakpoint, and each pollutant's hourly concentrations at
// them (µg/m³; carbon monoxide's in mg/m³, as the standard writes them).
constexpr int kIndexPoints[] = {0, 50, 100, 150, 200, 300, 400, 500};
struct Breakpoints {
    Pollutant pollutant;
    const char* name;
    const char* field; // the service's name for it
    std::size_t count;
    double at[8];
};
constexpr Breakpoints kBreakpoints[kPollutantCount] = {
    {Pollutant::Pm25, "PM2.5", "pm2_5", 8, {0, 35, 75, 115, 150, 250, 350, 500}},
    {Pollutant::Pm10, "PM10", "pm10", 8, {0, 50, 150, 250, 350, 420, 500, 600}},
    // The hour's sulphur dioxide has breakpoints only up to 800; above it the
    // standard takes the day's mean, which one reading does not give.
    {Pollutant::So2, "SO2", "sulphur_dioxide", 5, {0, 150, 500, 650, 800}},
    {Pollutant::No2, "NO2", "nitrogen_dioxide", 8, {0, 100, 200, 700, 1200, 2340, 3090, 3840}},
    {Pollutant::Co, "CO", "carbon_monoxide", 8, {0, 5, 10, 35, 60, 90, 120, 150}},
    {Pollutant::O3, "O3", "ozone", 8, {0, 160, 200, 300, 400, 800, 1000, 1200}},
};

// What a concentration may be before it is believed, in µg/m³.
constexpr double kMaxConcentration = 1e6;

const Breakpoints& Of(Pollutant p) {
    return kBreakpoints[static_cast<std::size_t>(p)];
}

// 0..5 for 优 .. 严重污染.
int Level(int aqi) {
    static constexpr int kTops[] = {50, 100, 150, 200, 300};
    int level = 0;
    for (int top : kTops)
        level += aqi > top;
    return level;
}

// A unit the service names for a concentration: only micrograms per cubic
// metre, written with the Greek mu or the micro sign, are read.
bool Micrograms(const std::string* unit) {
    return !unit || *unit == "\u03BCg/m\u00B3" || *unit == "\u00B5g/m\u00B3";
}

std::optional<double> Concentration(std::optional<double> v) {
    return v && *v >= 0 && *v <= kMaxConcentration ? v : std::nullopt;
}

} // namespace

const char* PollutantName(Pollutant p) {
    return Of(p).name;
}

std::optional<int> IndividualAqi(Pollutant p, double ugm3) {
    const Breakpoints& b = Of(p);
    const double c = p == Pollutant::Co ? ugm3 / 1000 : ugm3;
    if (!(c >= 0))
        return std::nullopt;
    if (c >= b.at[b.count - 1])
        return c > b.at[b.count - 1] && b.count < 8 ? std::nullopt : std::optional<int>(kIndexPoints[b.count - 1]);
    std::size_t i = 1;
    while (c > b.at[i])
        ++i;
    const double index =
        kIndexPoints[i - 1] + (kIndexPoints[i] - kIndexPoints[i - 1]) * (c - b.at[i - 1]) / (b.at[i] - b.at[i - 1]);
    // Rounded up, but a value that lands on a whole number stays on it.
    return static_cast<int>(std::ceil(index - 1e-9));
}

std::optional<AirQuality> ComputeAqi(const AirReading& reading) {
    std::optional<AirQuality> air;
    for (const Breakpoints& b : kBreakpoints) {
        const std::optional<double>& v = reading[b.pollutant];
        const std::optional<int> index = v ? IndividualAqi(b.pollutant, *v) : std::nullopt;
        if (!index)
            continue;
        if (!air || *index > air->aqi)
            air = AirQuality{*index, {b.pollutant}};
        else if (*index == air->aqi)
            air->primary.push_back(b.pollutant);
    }
    if (air && air->aqi <= 50)
        air->primary.clear();
    return air;
}

const char* AqiCategory(int aqi) {
    static constexpr const char* kNames[] = {"优", "良", "轻度污染", "中度污染", "重度污染", "严重污染"};
    return kNames[Level(aqi)];
}

const char* AqiShortCategory(int aqi) {
    static constexpr const char* kNames[] = {"优", "良", "轻度", "中度", "重度", "严重"};
    return kNames[Level(aqi)];
}

Argb AqiColour(int aqi) {
    // The standard's colours, the last two lightened: its purple and maroon
    // are too dark to read inside the strip's dark halo.
    static constexpr Argb kColours[] = {0xFF00E400, 0xFFFFFF00, 0xFFFF7E00, 0xFFFF2020, 0xFFC040E0, 0xFFD03050};
    return kColours[Level(aqi)];
}

std::string AirQualityText(const AirQuality& air) {
    std::string text = "空气质量：" + std::string(AqiCategory(air.aqi)) + " " + std::to_string(air.aqi);
    for (std::size_t i = 0; i < air.primary.size(); ++i)
        text += (i == 0 ? "，首要污染物 " : "、") + std::string(PollutantName(air.primary[i]));
    return text;
}

std::string AirQualityUrl(const ServiceBase& base, double latitude, double longitude) {
    return base.Text() + "/v1/air-quality?latitude=" + FormatCoordinate(latitude) +
           "&longitude=" + FormatCoordinate(longitude) +
           "&current=pm2_5,pm10,ozone,nitrogen_dioxide,sulphur_dioxide,carbon_monoxide&timezone=auto";
}

AirQualityAnswer ParseAirQualityAnswer(int status, std::string_view body) {
    AirQualityAnswer answer;
    const JsonResult json = ParseJson(body);
    if (TakeAnswerError(status, json, answer))
        return answer;
    const JsonValue& now = json.value["current"];
    const JsonValue& units = json.value["current_units"];
    AirReading reading;
    bool any = false;
    for (const Breakpoints& b : kBreakpoints) {
        if (Micrograms(units[b.field].Text()))
            reading[b.pollutant] = Concentration(now[b.field].FiniteNumber());
        any = any || reading[b.pollutant].has_value();
    }
    if (!any) {
        answer.error = {AnswerProblem::Incomplete, status, {}};
        return answer;
    }
    if (const std::string* time = now["time"].Text(); time && IsDataTime(*time))
        reading.time = *time;
    answer.reading = std::move(reading);
    return answer;
}

std::string SerializeKeptAir(const KeptAir& kept) {
    std::string out = "air.fetched=" + std::to_string(kept.fetchedAt) + "\n";
    if (!kept.reading.time.empty())
        out += "air.time=" + kept.reading.time + "\n";
    for (const Breakpoints& b : kBreakpoints)
        if (const std::optional<double>& v = kept.reading[b.pollutant])
            out += std::string("air.") + b.field + "=" + Number(*v) + "\n";
    return out;
}

std::optional<KeptAir> ParseKeptAir(std::string_view text) {
    std::map<std::string, std::string, std::less<>> values;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (line.rfind("air.", 0) == 0)
            if (const std::size_t eq = line.find('='); eq != std::string_view::npos)
                values[std::string(line.substr(4, eq - 4))] = std::string(line.substr(eq + 1));
    }
    const auto number = [&](std::string_view key) -> std::optional<double> {
        const auto it = values.find(key);
        if (it == values.end() || it->second.empty())
            return std::nullopt;
        char* end = nullptr;
        const double v = std::strtod(it->second.c_str(), &end);
        return *end == '\0' && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    };
    const std::optional<double> fetched = number("fetched");
    if (!fetched || *fetched < 0 || *fetched > 1e13 || *fetched != std::floor(*fetched))
        return std::nullopt;
    KeptAir kept;
    kept.fetchedAt = static_cast<std::int64_t>(*fetched);
    bool any = false;
    for (const Breakpoints& b : kBreakpoints) {
        kept.reading[b.pollutant] = Concentration(number(b.field));
        any = any || kept.reading[b.pollutant].has_value();
    }
    if (!any)
        return std::nullopt;
    if (const auto time = values.find("time"); time != values.end() && IsDataTime(time->second))
        kept.reading.time = time->second;
    return kept;
}

StripLine FitStripLine(std::string_view line, const std::optional<AirQuality>& air, std::string_view tail, int maxWidth,
                       const MeasureText& measure) {
    StripLine fitted;
    if (air) {
        fitted.text = std::string(line) + " ";
        fitted.markFrom = fitted.text.size();
        fitted.text += AqiShortCategory(air->aqi);
        fitted.markTo = fitted.text.size();
        fitted.text += tail;
        fitted.markColour = AqiColour(air->aqi);
        if (measure(fitted.text) <= maxWidth)
            return fitted;
    }
    return StripLine{FitLine(line, tail, maxWidth, measure)};
}

} // namespace vemora
