#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"
#include "settings/settings.h"

#include <optional>

namespace vemora {

class ClockWindow;

// The settings dialog: transparency, font and colours take effect at once,
// city, star sign and network time on OK. There is no cancel: the close box
// keeps what already took effect and drops the rest.
class SettingsDialog : public BaseWindow<SettingsDialog> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmset";
    // The controls' ids.
    // clang-format off
    enum Id {
        kTransparencySlider = 10, kFontBox, kStartColourBox, kEndColourBox, // transparency, font, start and end colours
        kCityEdit, kSignBox,                    // city, star sign
        kHourlyAlertCheck, kAutostartCheck, kNetworkTimeCheck,          // hourly alert, start with Windows, network time
        kOkButton, kLunarCheck                      // 确定, Chinese calendar
    };
    // clang-format on

    SettingsDialog(ClockWindow& main, ErrorReporter& reporter);
    void ShowModal();

    void ShowCurrentSettings();
    void TransparencyChanged();
    void FontChosen();
    void StartColourChosen();
    void EndColourChosen();
    void HourlyAlertClicked();
    void AutostartClicked();
    void LunarClicked();
    void Accept();

    HWND transparencySlider = nullptr, fontBox = nullptr, startColourBox = nullptr, endColourBox = nullptr, cityEdit = nullptr, signBox = nullptr,
         hourlyAlertCheck = nullptr, autostartCheck = nullptr, networkTimeCheck = nullptr, okButton = nullptr, lunarCheck = nullptr;
    // The colour of a colour box's selection, 0x00BBGGRR, system colours resolved.
    static COLORREF SelectedColour(HWND colourBox);

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The dialog at a resolution: size, controls and font scaled from the design.
    void ApplyDpi(int dpi);
    int Dpi() const { return dpi_; }

private:
    void RedrawClock();
    void FillColourBox(HWND box);
    void ShowColour(HWND box, Argb colour);
    void DrawColourItem(const DRAWITEMSTRUCT& item);

    ClockWindow& main_;
    UniqueHfont font_;
    DialogLayout layout_;
    int dpi_ = kDesignDpi;
};

} // namespace vemora
