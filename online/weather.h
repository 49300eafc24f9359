#pragma once
#include <string>
#include <string_view>

namespace vemora {

inline constexpr const char* kDefaultWeatherHost = "i.tianqi.com";
inline constexpr const char* kWeatherPath = "/skin/2010-0601.html";

// http://host/skin/2010-0601.html, with "?city=" and the city when one is set.
// A city normally holds letters and digits; any other byte is percent-encoded.
std::string WeatherUrl(std::string_view host, std::string_view city);

// Rebuilds the weather line from a page: the visible texts of its links in page
// order, joined by " , ". A page without links leaves the line as it was and
// gives false.
bool BuildWeatherText(const std::string& page, std::string& weatherText);

} // namespace vemora
