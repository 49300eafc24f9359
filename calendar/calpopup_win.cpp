#include "calendar/calpopup_win.h"

#include <cmath>

namespace vemora {

Tfrmcal::Tfrmcal(HWND owner, ErrorReporter& reporter, const UxTheme& theme, std::function<DateTimeParts()> now)
    : BaseWindow(reporter) {
    CreateHandle(WS_EX_LAYERED, WS_POPUP, RECT{0, 0, 153, 169}, owner, L"frmcal");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    monthCalendar1_ = std::make_unique<TMonthCalendar>(hwnd_, RECT{0, 0, 153, 169}, font_.get(), theme, reporter,
                                                       [now = std::move(now)] { return std::floor(EncodeDateTime(now())); });
    monthCalendar1_->SetTodayCaption(L"Today");
    monthCalendar1_->SetNoneCaption(L"None");
    // MonthCalendar1MouseMove: the same drag as the window's own. A left
    // press on the control is where a drag starts from; the pop-up then has
    // the mouse and hands the release back to the control.
    monthCalendar1_->OnMouseDown = [this](WPARAM keys, int, int) {
        if (keys & MK_LBUTTON)
            DragPress();
    };
    monthCalendar1_->OnMouseMove = [this](WPARAM, int, int) { FormMouseMove(); };
}

// Every showing puts the pop-up on top of the ordinary windows, the
// horoscope panel and whatever window is active included, without taking the
// focus from it. It passes through the topmost band on the way: Wine raises a
// window on the display only when it becomes the very first window, which
// HWND_TOP alone never makes it while the clock stays on top.
void Tfrmcal::Show() {
    constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
}

std::optional<LRESULT> Tfrmcal::HandleMessage(UINT msg, WPARAM, LPARAM) {
    if (msg == WM_LBUTTONUP)
        monthCalendar1_->Model().MouseUp();
    return std::nullopt;
}
void Tfrmcal::Close() { ShowWindow(hwnd_, SW_HIDE); }

} // namespace vemora
