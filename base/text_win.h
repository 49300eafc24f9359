#pragma once
#include <string>
#include <string_view>

namespace vemora {

// The program keeps its text as GBK bytes; the screen takes UTF-16. Code page
// 936 is named explicitly, so that a Windows with another ANSI code page reads
// the same text.
inline constexpr unsigned kGbkCodePage = 936;

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

} // namespace vemora
