#include "online/fetch.h"

#include <cctype>

namespace vemora {

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

unsigned CodePageOfCharset(std::string_view charset) {
    if (charset.empty() || charset == "gbk" || charset == "gb2312" || charset == "gb18030" || charset == "x-gbk" ||
        charset == "cp936" || charset == "windows-936")
        return 936;
    if (charset == "utf-8" || charset == "utf8")
        return 65001;
    if (charset == "big5")
        return 950;
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii" || charset == "ascii")
        return 28591;
    if (charset == "windows-1252")
        return 1252;
    return 936; // unknown: keep the bytes
}

std::string HostOfUrl(std::string_view url) {
    size_t start = url.find("://");
    start = start == std::string_view::npos ? 0 : start + 3;
    const size_t end = url.find_first_of("/?#", start);
    return std::string(url.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string FetchErrorText(const std::string& what, const std::string& host, FetchFailure failure,
                           unsigned long code) {
    std::string text = what + " (" + host + ")";
    switch (failure) {
    case FetchFailure::Timeout:
        return text + ": the server did not answer in time";
    case FetchFailure::NoConnection:
        return text + ": no connection";
    case FetchFailure::HostNotFound:
        return text + ": host not found";
    case FetchFailure::Other:
        return code ? text + ": error " + std::to_string(code) : text;
    case FetchFailure::None:
        break;
    }
    return text;
}

} // namespace vemora
