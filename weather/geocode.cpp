#include "weather/geocode.h"

#include "base/utf8.h"
#include "net/json.h"

#include <algorithm>

namespace vemora {

namespace {

constexpr std::size_t kMaxPlaces = 100;
constexpr std::size_t kMaxNameBytes = 128;

std::string TextOf(const JsonValue& v) {
    const std::string* text = v.Text();
    return text ? Utf8OneLine(*text, kMaxNameBytes) : std::string();
}

bool IsCapital(const GeoPlace& p) {
    return p.featureCode == "PPLC" || p.featureCode == "PPLA";
}

std::int64_t PopulationOf(const GeoPlace& p) {
    return p.population.value_or(0);
}

} // namespace

GeocodeAnswer ParseGeocodeAnswer(int status, std::string_view body) {
    GeocodeAnswer answer;
    const JsonResult json = ParseJson(body);
    if (TakeAnswerError(status, json, answer))
        return answer;
    for (const JsonValue& r : json.value["results"].Items()) {
        GeoPlace p;
        p.name = TextOf(r["name"]);
        const std::optional<double> latitude = r["latitude"].FiniteNumber();
        const std::optional<double> longitude = r["longitude"].FiniteNumber();
        if (p.name.empty() || !latitude || !longitude || !ValidCoordinates(*latitude, *longitude))
            continue;
        p.latitude = *latitude;
        p.longitude = *longitude;
        p.province = TextOf(r["admin1"]);
        p.country = TextOf(r["country"]);
        p.countryCode = TextOf(r["country_code"]);
        p.featureCode = TextOf(r["feature_code"]);
        if (const std::optional<long long> n = r["population"].Integer(0, 100'000'000'000LL))
            p.population = *n;
        answer.places.push_back(std::move(p));
        if (answer.places.size() == kMaxPlaces)
            break;
    }
    return answer;
}

PlaceChoice PickPlace(const std::vector<GeoPlace>& places, bool preferChina) {
    PlaceChoice choice;
    if (places.empty())
        return choice;
    const auto chosen = [&choice](const GeoPlace& p) {
        choice.kind = PlaceChoice::Kind::Chosen;
        choice.chosen = p;
        return choice;
    };
    const auto byPopulation = [](const GeoPlace& a, const GeoPlace& b) { return PopulationOf(a) < PopulationOf(b); };
    if (places.size() == 1)
        return chosen(places.front());
    if (preferChina) {
        std::vector<GeoPlace> inChina;
        std::copy_if(places.begin(), places.end(), std::back_inserter(inChina),
                     [](const GeoPlace& p) { return p.countryCode == "CN"; });
        const std::vector<GeoPlace>& pool = inChina.empty() ? places : inChina;
        // The first of the largest: the geocoder's order breaks ties.
        return chosen(*std::max_element(pool.begin(), pool.end(), byPopulation));
    }
    if (std::count_if(places.begin(), places.end(), IsCapital) == 1)
        return chosen(*std::find_if(places.begin(), places.end(), IsCapital));
    std::vector<GeoPlace> ranked = places;
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](const GeoPlace& a, const GeoPlace& b) { return byPopulation(b, a); });
    if (PopulationOf(ranked[0]) > 0 && PopulationOf(ranked[0]) >= 10 * PopulationOf(ranked[1]))
        return chosen(ranked[0]);
    choice.kind = PlaceChoice::Kind::Ask;
    choice.options.assign(places.begin(), places.begin() + std::min(places.size(), kMaxPlaceOptions));
    return choice;
}

std::string PlaceLabel(const GeoPlace& place) {
    std::string where = place.province;
    if (!place.country.empty() && place.country != place.province)
        where += (where.empty() ? "" : "，") + place.country;
    return where.empty() ? place.name : place.name + "（" + where + "）";
}

std::string PlaceNotFoundText(std::string_view name) {
    return "找不到城市：" + Utf8OneLine(name, kMaxNameBytes);
}

std::string PlaceLookupFailedText(std::string_view name, std::string_view failure) {
    return "查找城市“" + Utf8OneLine(name, kMaxNameBytes) + "”失败：" + std::string(failure);
}

} // namespace vemora
