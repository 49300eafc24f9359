#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vemora {

inline constexpr const char* kDefaultWeatherHost = "i.tianqi.com";
inline constexpr const char* kWeatherPath = "/skin/2010-0601.html";

// http://host/skin/2010-0601.html, with "?city=" and the city when one is set.
// A city normally holds letters and digits; any other byte is percent-encoded.
std::string WeatherUrl(std::string_view host, std::string_view city);

// A whole link whose text holds no tag, from "<a" to "</a>".
inline constexpr const char* kLinkPattern = "<a([^>]*)>([^<]*)</a>";

// One match of kLinkPattern: the link is page[start, End()); its opening tag
// ends at textStart and "</a>" begins at textEnd.
struct LinkMatch {
    std::size_t start = 0, textStart = 0, textEnd = 0;
    std::size_t End() const { return textEnd + 4; }
};

// The first match of kLinkPattern that starts at or after from, the one the
// matcher finds there. Matching from 0 and then from each match's end reads
// every byte of the page a bounded number of times.
std::optional<LinkMatch> FindLink(std::string_view page, std::size_t from);

// Rebuilds the weather line from a page: the visible texts of its links in page
// order, joined by " , ". A page without links leaves the line as it was and
// gives false.
bool BuildWeatherText(const std::string& page, std::string& weatherText);

} // namespace vemora
