#include "online/weather_win.h"

#include "app/clockmain_win.h"

namespace vemora {

Tfrmweather::Tfrmweather(Tfrmmain& main, ErrorReporter& reporter) : BaseWindow(reporter), main_(main) {
    CreateHandle(0, WS_POPUP, RECT{0, 0, 461, 39}, main.ApplicationWindow(), L"frmweather");
}

void Tfrmweather::Show() { ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }
void Tfrmweather::Close() { ShowWindow(hwnd_, SW_HIDE); }

LRESULT Tfrmweather::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        DragWithMouse(wParam);
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void Tfrmmain::ShowWeather() {}
void Tfrmmain::DownloadWeather() {}

} // namespace vemora
