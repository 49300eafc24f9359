#include "render/fontfamily_win.h"

#include "base/handles_win.h"

#include <stdexcept>
#include <vector>

namespace vemora {

std::vector<std::wstring> OutlineFontFamilies(BYTE charset, bool symbolFonts) {
    struct Query {
        std::vector<std::wstring> families;
        bool symbolFonts;
    } query{{}, symbolFonts};
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    ScopedWindowDC screen(nullptr);
    EnumFontFamiliesExW(
        screen.get(), &wanted,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM p) -> int {
            auto* q = reinterpret_cast<Query*>(p);
            if (!(type & RASTER_FONTTYPE) && font->lfFaceName[0] != L'@' &&
                (q->symbolFonts || font->lfCharSet != SYMBOL_CHARSET))
                q->families.push_back(font->lfFaceName);
            return 1;
        },
        reinterpret_cast<LPARAM>(&query), 0);
    return query.families;
}

bool CanDrawWith(const std::wstring& family) {
    if (family.empty())
        return false;
    const Gdiplus::FontFamily found(family.c_str());
    return found.GetLastStatus() == Gdiplus::Ok;
}

std::wstring FallbackFontFamily() {
    // Wine's GDI+ does not fall back from one family to another for a glyph:
    // a family with Chinese comes before the generic sans serif, and a symbol
    // font (Marlett draws digits as window buttons) never.
    for (const std::wstring& family : OutlineFontFamilies(GB2312_CHARSET, false))
        if (CanDrawWith(family))
            return family;
    if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif()) {
        wchar_t name[LF_FACESIZE] = {};
        if (generic->GetFamilyName(name) == Gdiplus::Ok && CanDrawWith(name))
            return name;
    }
    for (const std::wstring& family : OutlineFontFamilies(DEFAULT_CHARSET, false))
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
