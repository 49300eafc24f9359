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

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The value after "charset=" in a text, up to a quote, blank, semicolon or '>'.
std::string CharsetAfter(const std::string& lowerText) {
    const size_t at = lowerText.find("charset");
    if (at == std::string::npos)
        return {};
    size_t p = at + 7;
    while (p < lowerText.size() && (lowerText[p] == ' ' || lowerText[p] == '='))
        ++p;
    while (p < lowerText.size() && (lowerText[p] == '"' || lowerText[p] == '\''))
        ++p;
    size_t end = p;
    while (end < lowerText.size() && std::string_view("\"' ;>/\r\n\t").find(lowerText[end]) == std::string_view::npos)
        ++end;
    return lowerText.substr(p, end - p);
}

} // namespace

std::string DeclaredCharset(std::string_view contentType, std::string_view body) {
    std::string fromHeader = CharsetAfter(Lower(contentType));
    if (!fromHeader.empty())
        return fromHeader;
    const std::string head = Lower(body.substr(0, 4096));
    for (size_t meta = head.find("<meta"); meta != std::string::npos; meta = head.find("<meta", meta + 5)) {
        const size_t end = head.find('>', meta);
        std::string found = CharsetAfter(head.substr(meta, end == std::string::npos ? std::string::npos : end - meta));
        if (!found.empty())
            return found;
    }
    return {};
}

} // namespace vemora
