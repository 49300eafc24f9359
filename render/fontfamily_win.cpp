#include "render/fontfamily_win.h"

#include "base/handles_win.h"

#include <stdexcept>
#include <vector>

namespace vemora {

std::vector<std::wstring> OutlineFontFamilies(BYTE charset) {
    std::vector<std::wstring> families;
    LOGFONTW query{};
    query.lfCharSet = charset;
    ScopedWindowDC screen(nullptr);
    EnumFontFamiliesExW(
        screen.get(), &query,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM list) -> int {
            if (!(type & RASTER_FONTTYPE) && font->lfFaceName[0] != L'@')
                reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(font->lfFaceName);
            return 1;
        },
        reinterpret_cast<LPARAM>(&families), 0);
    return families;
}

bool CanDrawWith(const std::wstring& family) {
    if (family.empty())
        return false;
    const Gdiplus::FontFamily found(family.c_str());
    return found.GetLastStatus() == Gdiplus::Ok;
}

std::wstring FallbackFontFamily() {
    if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif()) {
        wchar_t name[LF_FACESIZE] = {};
        if (generic->GetFamilyName(name) == Gdiplus::Ok && CanDrawWith(name))
            return name;
    }
    for (BYTE charset : {static_cast<BYTE>(GB2312_CHARSET), static_cast<BYTE>(DEFAULT_CHARSET)})
        for (const std::wstring& family : OutlineFontFamilies(charset))
            if (CanDrawWith(family))
                return family;
    return {};
}

std::unique_ptr<Gdiplus::FontFamily> FontFamilyOrFallback(const std::wstring& family) {
    auto made = std::make_unique<Gdiplus::FontFamily>(family.c_str());
    if (made->GetLastStatus() == Gdiplus::Ok)
        return made;
    const std::wstring fallback = FallbackFontFamily();
    made = std::make_unique<Gdiplus::FontFamily>(fallback.c_str());
    if (fallback.empty() || made->GetLastStatus() != Gdiplus::Ok)
        throw std::runtime_error("找不到可用来显示文字的字体");
    return made;
}

} // namespace vemora
