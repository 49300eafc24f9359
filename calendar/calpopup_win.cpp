#include "calendar/calpopup_win.h"

#include "app/clockmain_win.h"

#include <cmath>

namespace vemora {

Tfrmcal::Tfrmcal(Tfrmmain& main, ErrorReporter& reporter, const UxTheme& theme) : BaseWindow(reporter), main_(main) {
    CreateHandle(WS_EX_LAYERED, WS_POPUP, RECT{0, 0, 153, 169}, main.ApplicationWindow(), L"frmcal");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    monthCalendar1_ = std::make_unique<TMonthCalendar>(hwnd_, RECT{0, 0, 153, 169}, font_.get(), theme, reporter,
                                                       [&main] { return std::floor(EncodeDateTime(main.Now())); });
    monthCalendar1_->SetTodayCaption(L"Today");
    monthCalendar1_->SetNoneCaption(L"None");
    // MonthCalendar1MouseMove: the same drag as the window's own.
    monthCalendar1_->OnMouseMove = [this](WPARAM, int, int) { FormMouseMove(); };
}

void Tfrmcal::Show() { ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }
void Tfrmcal::Close() { ShowWindow(hwnd_, SW_HIDE); }

LRESULT Tfrmcal::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        FormMouseMove();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

} // namespace vemora
