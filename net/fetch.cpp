#include "net/fetch.h"

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

std::string HostAndPortOfUrl(std::string_view url) {
    std::string host = HostOfUrl(url);
    // A colon after the last ']' (an IPv6 address is written in brackets) starts the port.
    const size_t bracket = host.rfind(']');
    const size_t colon = host.rfind(':');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket))
        return host;
    const bool secure = Lower(url.substr(0, 8)) == "https://";
    return host + (secure ? ":443" : ":80");
}

std::string OnlinePartText(OnlinePart part, std::string_view message) {
    static constexpr const char* kPartNames[] = {"天气：", "今日运势：", "校时："};
    return kPartNames[static_cast<size_t>(part)] + std::string(message);
}

std::string FetchErrorText(FetchStep step, const std::string& host, FetchFailure failure, unsigned long code) {
    // Each step's words before and after the host, in the order of FetchStep.
    static constexpr const char* kWording[][2] = {
        {"网址无效：", ""},
        {"无法为 ", " 启动 HTTP 访问"},
        {"无法连接服务器 ", ""},
        {"无法向服务器 ", " 请求网页"},
        {"无法向服务器 ", " 发送请求"},
        {"服务器 ", " 没有应答"},
        {"服务器 ", " 返回 HTTP 状态 "},
        {"从服务器 ", " 读取网页时中断"},
        {"服务器 ", " 的网页太大"},
    };
    const auto& words = kWording[static_cast<size_t>(step)];
    const std::string text = words[0] + host + words[1];
    if (step == FetchStep::Status)
        return text + std::to_string(code);
    switch (failure) {
    case FetchFailure::Timeout:
        return text + "：等待超时";
    case FetchFailure::NoConnection:
        return text + "：连接失败";
    case FetchFailure::HostNotFound:
        return text + "：找不到这个主机";
    case FetchFailure::Insecure:
        return text + "：无法建立安全连接（错误代码 " + std::to_string(code) + "）";
    case FetchFailure::Other:
        return code ? text + "：错误代码 " + std::to_string(code) : text;
    case FetchFailure::None:
        break;
    }
    return text;
}

} // namespace vemora
