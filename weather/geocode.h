#pragma once
#include "weather/forecast.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Finding a place by its name with the forecast service's geocoder. All text
// here is UTF-8.
namespace vemora {

struct GeoPlace {
    std::string name;        // as the geocoder gives it in Chinese when it knows one
    std::string province;    // admin1, may be empty
    std::string country;     // may be empty
    std::string countryCode; // "CN", may be empty
    std::string featureCode; // GeoNames: PPLC a capital, PPLA a province's seat, PPL a place ...
    double latitude = 0, longitude = 0;
    std::optional<std::int64_t> population;
};

struct GeocodeAnswer {
    std::vector<GeoPlace> places; // empty without an error: nothing has that name
    AnswerError error;
};

// The geocoder's answer: the results in its order, each with a name and valid
// coordinates (others are skipped). An answer without "results" is no match.
GeocodeAnswer ParseGeocodeAnswer(int status, std::string_view body);

struct PlaceChoice {
    enum class Kind { NotFound, Chosen, Ask } kind = Kind::NotFound;
    GeoPlace chosen;               // Kind::Chosen
    std::vector<GeoPlace> options; // Kind::Ask: at most kMaxPlaceOptions, in the geocoder's order
};
inline constexpr std::size_t kMaxPlaceOptions = 8;

// Which place a name means. A user's name: the only result, or the clearly
// dominant one (the only capital of a country or province, else a population at
// least ten times the next largest); otherwise the user picks. preferChina, for
// settings that name their city only in pinyin: places in China before all
// others, and among them the largest population; no one is asked.
PlaceChoice PickPlace(const std::vector<GeoPlace>& places, bool preferChina);

// "北京（北京市，中国）" for a pick list; the name alone when it has neither.
std::string PlaceLabel(const GeoPlace& place);

// "找不到城市：X".
std::string PlaceNotFoundText(std::string_view name);
// "查找城市“X”失败：" and why: a lookup the user asked for that did not reach
// an answer.
std::string PlaceLookupFailedText(std::string_view name, std::string_view failure);

} // namespace vemora
