#pragma once
// The visual-styles library, loaded by name once at start-up: it may be
// missing, and the program then paints the classic way.
#include "base/handles_win.h"

#include <uxtheme.h>

namespace vemora {

class UxTheme {
public:
    // Loads uxtheme.dll and looks up its entry points.
    static UxTheme Load();
    // No library: every drawing takes the classic path.
    static UxTheme Classic() { return UxTheme(); }

    // Themes apply to the application and one is active. Raises "Error in
    // Themes" when asking fails.
    bool ThemesActive() const;
    // Draws a push button in the given state; false when no theme data was had.
    bool DrawPushButton(HWND window, HDC dc, const RECT& rect, bool pressed) const;

private:
    using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
    using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
    using BoolFn = BOOL(WINAPI*)();

    UniqueHmodule library_;
    OpenThemeDataFn openThemeData_ = nullptr;
    DrawThemeBackgroundFn drawThemeBackground_ = nullptr;
    CloseThemeDataFn closeThemeData_ = nullptr;
    BoolFn isThemeActive_ = nullptr;
    BoolFn isAppThemed_ = nullptr;
};

} // namespace vemora
