#include "app/fonts_win.h"

#include "app/fontlist.h"
#include "base/handles_win.h"
#include "base/text_win.h"
#include "settings/settings.h"

#include "base/platform_win.h"

namespace vemora {

namespace {

// Whether GDI+ finds the family (GBK).
bool Drawable(const std::string& family) {
    if (family.empty())
        return false;
    const Gdiplus::FontFamily found(GbkToWide(family).c_str());
    return found.GetLastStatus() == Gdiplus::Ok;
}

// The family of the system's message font, GBK. A name GDI+ cannot draw with
// (a logical name such as "MS Shell Dlg") gives way to GDI+'s own sans-serif.
std::string MessageFontFamily() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        const std::string family = WideToGbk(metrics.lfMessageFont.lfFaceName);
        if (Drawable(family))
            return family;
    }
    wchar_t name[LF_FACESIZE] = {};
    if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif())
        generic->GetFamilyName(name);
    return WideToGbk(name);
}

} // namespace

std::vector<std::string> InstalledFontFamilies() {
    std::vector<std::string> families;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    ScopedWindowDC screen(nullptr);
    EnumFontFamiliesExW(
        screen.get(), &query,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(WideToGbk(font->lfFaceName));
            return 1;
        },
        reinterpret_cast<LPARAM>(&families), 0);
    return InstalledFontList(std::move(families));
}

StartFont PickStartFont(const std::optional<std::string>& stored, const std::vector<std::string>& installed) {
    std::vector<std::string> drawable = installed;
    for (const std::string& family : {stored.value_or(""), std::string(kFontYaHei), std::string(kFontSongTi)})
        if (Drawable(family))
            drawable.push_back(family);
    return ChooseStartFont(stored, drawable, MessageFontFamily());
}

} // namespace vemora
