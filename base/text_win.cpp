#include "base/text_win.h"

#include "base/platform_win.h"

namespace vemora {

namespace {

std::wstring ToWide(unsigned codePage, std::string_view text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string FromWide(unsigned codePage, std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int n =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

} // namespace

std::wstring GbkToWide(std::string_view gbk) {
    return ToWide(kGbkCodePage, gbk);
}
std::string WideToGbk(std::wstring_view wide) {
    return FromWide(kGbkCodePage, wide);
}
std::wstring Utf8ToWide(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}
std::string WideToUtf8(std::wstring_view wide) {
    return FromWide(CP_UTF8, wide);
}

} // namespace vemora
