#include "weather/weather.h"

#include "net/regex.h"

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

std::optional<LinkMatch> FindLink(std::string_view page, std::size_t from) {
    // The matcher tries each "<a" in turn. In an attempt "[^>]*" can only end at
    // the first '>' after the "<a", and "[^<]*" only at the first '<' after that,
    // so there is nothing to backtrack, and every "<a" before that '>' reaches
    // the same two bytes and fails alike. No '<' lies between them, so after a
    // failure the next "<a" to try is at or after that '<'.
    while (true) {
        const std::size_t start = FindLiteral(page, "<a", from);
        if (start == std::string_view::npos)
            return std::nullopt;
        const std::size_t close = page.find('>', start + 2);
        if (close == std::string_view::npos)
            return std::nullopt;
        const std::size_t textEnd = page.find('<', close + 1);
        if (textEnd == std::string_view::npos)
            return std::nullopt;
        if (page.substr(textEnd, 4) == "</a>")
            return LinkMatch{start, close + 1, textEnd};
        from = textEnd;
    }
}

bool BuildWeatherText(const std::string& page, std::string& weatherText) {
    std::optional<LinkMatch> link = FindLink(page, 0);
    if (!link)
        return false;
    weatherText.clear();
    for (; link; link = FindLink(page, link->End())) {
        // The link with its opening tag and "</a>" removed. The opening tag is
        // everything up to the first '>', '<' occurs nowhere else but in "</a>",
        // and a '<' never ends a double-byte character: both removals take just
        // those bytes, and the text between them is the piece.
        const std::string_view piece(page.data() + link->textStart, link->textEnd - link->textStart);
        if (!weatherText.empty())
            weatherText += " , ";
        weatherText += piece;
    }
    return true;
}

} // namespace vemora
