#include "settings/settings_win.h"

#include "base/gbk.h"
#include "base/module_win.h"
#include "base/platform_win.h"
#include "base/text_win.h"

#include <stdexcept>
#include <vector>

namespace vemora {

namespace {

const wchar_t kSection[] = L"Option";

} // namespace

std::string IniFileStore::Read(const char* key, const std::string& defaultValue) {
    // The file is ANSI; the wide functions convert it with the ANSI code page,
    // which on a Chinese Windows is 936, and the value goes back to GBK here.
    const std::wstring wideKey = GbkToWide(key);
    const std::wstring wideDefault = GbkToWide(defaultValue);
    std::vector<wchar_t> buffer(kMaxProfileString + 1);
    const DWORD n = GetPrivateProfileStringW(kSection, wideKey.c_str(), wideDefault.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path_.c_str());
    return CutGbk(WideToGbk(std::wstring_view(buffer.data(), n)), kMaxProfileString);
}

void IniFileStore::Write(const char* key, const std::string& value) {
    const std::wstring wideKey = GbkToWide(key);
    const std::wstring wideValue = GbkToWide(value);
    if (!WritePrivateProfileStringW(kSection, wideKey.c_str(), wideValue.c_str(), path_.c_str()))
        throw std::runtime_error("Unable to write to " + WideToUtf8(path_));
}

std::wstring DefaultSettingsPath() {
    std::wstring path = ModulePath();
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"clockset.ini";
}

} // namespace vemora
