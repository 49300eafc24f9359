#include "online/weather_win.h"

#include "app/clockmain_win.h"
#include "app/inputbox_win.h"
#include "app/text_win.h"
#include "online/fetch_win.h"
#include "online/pinyin.h"
#include "online/weather.h"
#include "render/glow_win.h"

namespace vemora {

Tfrmweather::Tfrmweather(Tfrmmain& main, ErrorReporter& reporter) : BaseWindow(reporter), main_(main) {
    CreateHandle(0, WS_POPUP, RECT{0, 0, 461, 39}, main.ApplicationWindow(), L"frmweather");
    popupMenu_.reset(CreatePopupMenu());
    AppendMenuW(popupMenu_.get(), MF_STRING, kN1, L"更改城市");
}

void Tfrmweather::Show() { ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }
void Tfrmweather::Close() { ShowWindow(hwnd_, SW_HIDE); }

std::optional<std::wstring> Tfrmweather::AskCity() {
    if (prompt_)
        return prompt_();
    TInputBox box(reporter_, hwnd_, L"更改城市", L"请输入你所在城市");
    return box.Ask();
}

void Tfrmweather::N1Click() {
    // Cancel gives the empty default; 市 alone or no reading start nothing.
    const std::wstring answer = AskCity().value_or(L"");
    const std::string pinyin = CityToPinyin(WideToGbk(answer));
    if (pinyin.empty())
        return;
    ClockSettings.City = pinyin;
    main_.ShowWeather();
}

LRESULT Tfrmweather::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        DragWithMouse();
        return 0;
    case WM_CONTEXTMENU:
        TrackContextMenu(popupMenu_.get(), lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && LOWORD(wParam) == kN1)
            N1Click();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

std::string CurrentWeatherUrl() { return WeatherUrl(ClockSettings.WeatherHost, ClockSettings.City); }

void Tfrmmain::DownloadWeather() {
    const std::string page = FetchPageText(CurrentWeatherUrl());
    BuildWeatherText(page, ClockSettings.WeatherText);
}

void Tfrmmain::ShowWeather() {
    if (!frmweather_)
        return;
    HWND strip = frmweather_->Handle();
    frmweather_->Show();
    PlaceWeatherStrip();
    // The strip stays on top exactly when the clock does; only its z-order changes.
    const bool topmost = GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST;
    SetWindowPos(strip, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DownloadWeather();
    if (!ClockSettings.WeatherText.empty())
        weatherRenderer_.Render(strip, GbkToWide(ClockSettings.WeatherText), ClockSettings.Font, kWeatherEmSize,
                                ClockSettings.Transparent);
}

} // namespace vemora
