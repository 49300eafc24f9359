#include "online/weather.h"

#include "online/regex.h"

#include <cctype>

namespace vemora {

std::string WeatherUrl(std::string_view host, std::string_view city) {
    std::string url = "http://";
    url.append(host.empty() ? std::string_view(kDefaultWeatherHost) : host);
    url += kWeatherPath;
    if (!city.empty()) {
        url += "?city=";
        static const char kHex[] = "0123456789ABCDEF";
        for (unsigned char c : city) {
            if (std::isalnum(c)) {
                url += static_cast<char>(c);
            } else {
                url += '%';
                url += kHex[c >> 4];
                url += kHex[c & 15];
            }
        }
    }
    return url;
}

bool BuildWeatherText(const std::string& page, std::string& weatherText) {
    TRegexMatcher links;
    links.SetSubject(page);
    links.SetPattern("<a([^>]*)>([^<]*)</a>");
    if (!links.FirstMatch())
        return false;
    TRegexMatcher openingTag;
    openingTag.SetPattern("<a([^>]*)>");
    weatherText.clear();
    do {
        const std::string link = links.MatchedText();
        openingTag.SetSubject(link);
        std::string piece = link;
        if (openingTag.FirstMatch())
            piece = RemoveText(piece, openingTag.MatchedText());
        piece = RemoveText(piece, "</a>");
        if (weatherText.empty())
            weatherText = piece;
        else
            weatherText += " , " + piece;
    } while (links.NextMatch());
    return true;
}

} // namespace vemora
