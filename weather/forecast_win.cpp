#include "weather/forecast_win.h"

#include "base/text_win.h"

#include <algorithm>

namespace vemora {

std::string ServiceHostText(const ServiceBase& base) {
    const unsigned short port = base.port ? base.port : (base.Secure() ? 443 : 80);
    return base.host + ":" + std::to_string(port);
}

TextMeasure::TextMeasure(const std::string& fontName, int emSize) {
    const std::wstring family = fontName.empty() ? std::wstring(L"宋体") : GbkToWide(fontName);
    ScopedWindowDC screen(nullptr);
    dc_.reset(CreateCompatibleDC(screen.get()));
    font_.reset(CreateFontW(-std::max(emSize, 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, family.c_str()));
    if (dc_ && font_)
        select_.emplace(dc_.get(), font_.get());
}

int TextMeasure::Width(std::string_view utf8) const {
    const std::wstring text = Utf8ToWide(utf8);
    if (text.empty())
        return 0;
    SIZE extent{};
    // Without a device to measure on, a rough width: an em per character.
    if (!select_ || !GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &extent))
        return static_cast<int>(text.size()) * 16;
    return extent.cx;
}

} // namespace vemora
