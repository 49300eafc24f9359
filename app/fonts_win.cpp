#include "app/fonts_win.h"

#include "app/fontlist.h"
#include "base/text_win.h"
#include "render/fontfamily_win.h"
#include "settings/settings.h"

#include "base/platform_win.h"

namespace vemora {

namespace {

bool Drawable(const std::string& family) {
    return CanDrawWith(GbkToWide(family));
}

// The family of the system's message font, GBK. A name GDI+ cannot draw with
// (a logical name such as "MS Shell Dlg") gives way to a family it can.
std::string MessageFontFamily() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        const std::string family = WideToGbk(metrics.lfMessageFont.lfFaceName);
        if (Drawable(family))
            return family;
    }
    return WideToGbk(FallbackFontFamily());
}

} // namespace

std::vector<std::string> InstalledFontFamilies() {
    std::vector<std::string> families;
    for (const std::wstring& family : OutlineFontFamilies(DEFAULT_CHARSET, true))
        families.push_back(WideToGbk(family));
    return InstalledFontList(std::move(families));
}

StartFont PickStartFont(const std::optional<std::string>& stored) {
    std::vector<std::string> drawable;
    for (const std::string& family : {stored.value_or(""), std::string(kFontYaHei), std::string(kFontSongTi)})
        if (Drawable(family))
            drawable.push_back(family);
    return ChooseStartFont(stored, drawable, MessageFontFamily());
}

} // namespace vemora
