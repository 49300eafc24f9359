#include "calendar/calpopup_win.h"

#include <cmath>

namespace vemora {

Tfrmcal::Tfrmcal(HWND owner, ErrorReporter& reporter, const UxTheme& theme, std::function<DateTimeParts()> now)
    : CompanionWindow(reporter) {
    CreateHandle(WS_EX_LAYERED, WS_POPUP, RECT{0, 0, 153, 169}, owner, L"frmcal");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    monthCalendar1_ = std::make_unique<TMonthCalendar>(hwnd_, RECT{0, 0, 153, 169}, font_.get(), theme, reporter,
                                                       [now = std::move(now)] { return std::floor(EncodeDateTime(now())); });
    monthCalendar1_->SetTodayCaption(L"Today");
    monthCalendar1_->SetNoneCaption(L"None");
    // MonthCalendar1MouseMove: the same drag as the window's own.
    monthCalendar1_->OnMouseMove = [this](WPARAM, int, int) { FormMouseMove(); };
}

} // namespace vemora
