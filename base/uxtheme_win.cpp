#include "base/uxtheme_win.h"

#include <vssym32.h>

#include <stdexcept>

namespace vemora {

UxTheme UxTheme::Load() {
    UxTheme theme;
    theme.library_.reset(LoadLibraryW(L"uxtheme.dll"));
    if (!theme.library_)
        return theme;
    HMODULE lib = theme.library_.get();
    theme.openThemeData_ = reinterpret_cast<OpenThemeDataFn>(GetProcAddress(lib, "OpenThemeData"));
    theme.drawThemeBackground_ = reinterpret_cast<DrawThemeBackgroundFn>(GetProcAddress(lib, "DrawThemeBackground"));
    theme.closeThemeData_ = reinterpret_cast<CloseThemeDataFn>(GetProcAddress(lib, "CloseThemeData"));
    theme.isThemeActive_ = reinterpret_cast<BoolFn>(GetProcAddress(lib, "IsThemeActive"));
    theme.isAppThemed_ = reinterpret_cast<BoolFn>(GetProcAddress(lib, "IsAppThemed"));
    return theme;
}

bool UxTheme::ThemesActive() const {
    if (!library_ || !isThemeActive_ || !isAppThemed_)
        return false;
    try {
        return isAppThemed_() && isThemeActive_();
    } catch (...) {
        throw std::runtime_error("Error in Themes");
    }
}

bool UxTheme::DrawPushButton(HWND window, HDC dc, const RECT& rect, bool pressed) const {
    if (!openThemeData_ || !drawThemeBackground_ || !closeThemeData_)
        return false;
    HTHEME theme = openThemeData_(window, L"button");
    if (!theme)
        return false;
    drawThemeBackground_(theme, dc, BP_PUSHBUTTON, pressed ? PBS_PRESSED : PBS_NORMAL, &rect, nullptr);
    closeThemeData_(theme);
    return true;
}

} // namespace vemora
