#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"
#include "settings/settings.h"

#include <optional>

namespace vemora {

class Tfrmmain;

// The settings dialog: transparency, font and colours take effect at once,
// city, star sign and network time on OK. There is no cancel: the close box
// keeps what already took effect and drops the rest.
class Tfrmset : public BaseWindow<Tfrmset> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmset";
    // The controls' ids.
    // clang-format off
    enum Id {
        kTrackBar1 = 10, kCbfont, kCb01, kCb02, // transparency, font, start and end colours
        kEdcity, kCbxingzuo,                    // city, star sign
        kCborder, kCbauto, kCbgettime,          // hourly alert, start with Windows, network time
        kButton1, kCblunar                      // 确定, Chinese calendar
    };
    // clang-format on

    Tfrmset(Tfrmmain& main, ErrorReporter& reporter);
    void ShowModal();

    void FormShow();
    void TrackBar1Change();
    void cbfontChange();
    void cb01Change();
    void cb02Change();
    void cborderClick();
    void cbautoClick();
    void cblunarClick();
    void Button1Click();

    HWND TrackBar1 = nullptr, cbfont = nullptr, cb01 = nullptr, cb02 = nullptr, Edcity = nullptr, Cbxingzuo = nullptr,
         cborder = nullptr, cbauto = nullptr, cbgettime = nullptr, Button1 = nullptr, cblunar = nullptr;
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

    Tfrmmain& main_;
    UniqueHfont font_;
    DialogLayout layout_;
    int dpi_ = kDesignDpi;
};

} // namespace vemora
