#include "calendar/calendarpopup_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
#include "calendar/almanac.h"
#include "calendar/lunar.h"

#include <cmath>

namespace vemora {

namespace {

constexpr int kWidth = 153, kHeight = 169; // designed client size, filled by the calendar

} // namespace

CalendarPopup::CalendarPopup(HWND owner, ErrorReporter& reporter, const UxTheme& theme,
                             std::function<DateTimeParts()> now)
    : CompanionWindow(reporter) {
    CreateHandle(WS_EX_LAYERED, WS_POPUP, RECT{0, 0, kWidth, kHeight}, owner, L"frmcal");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    font_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
    calendar_ = std::make_unique<MonthCalendar>(hwnd_, RECT{0, 0, kWidth, kHeight}, font_.get(), theme, reporter,
                                                [now = std::move(now)] { return std::floor(EncodeDateTime(now())); });
    calendar_->SetTodayCaption(L"今天");
    calendar_->SetNoneCaption(L"None");
    // MonthCalendar1MouseMove: the same drag as the window's own. A left
    // press on the control is where a drag starts from; the pop-up then has
    // the mouse and hands the release back to the control.
    calendar_->OnMouseDown = [this](WPARAM keys, int, int) {
        if (keys & MK_LBUTTON)
            DragPress();
    };
    calendar_->OnMouseMove = [this](WPARAM keys, int, int) { MouseMovedWithButton(keys); };
    // Esc closes the pop-up as its close box does.
    calendar_->OnEscape = [this] { PostMessageW(hwnd_, WM_CLOSE, 0, 0); };
    if (const int dpi = WindowDpi(hwnd_); dpi != kDesignDpi)
        ApplyDpi(dpi);
}

void CalendarPopup::ApplyDpi(int dpi) {
    dpi_ = dpi;
    const CalendarGeometry& g = calendar_->Model().Geometry;
    SetWindowPos(hwnd_, nullptr, 0, 0, ScaleForDpi(g.W, dpi), ScaleForDpi(g.H, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    calendar_->SetDpi(dpi);
}

void CalendarPopup::SetLunar(bool on) {
    calendar_->SetLunar(on);
    ApplyDpi(dpi_);
}

// Every showing puts the pop-up on top of the ordinary windows, the
// horoscope panel and whatever window is active included, without taking the
// focus from it. It passes through the topmost band on the way: Wine raises a
// window on the display only when it becomes the very first window, which
// HWND_TOP alone never makes it while the clock stays on top.
void CalendarPopup::Show() {
    constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
}

// A press that moves the pop-up is a drag, no longer a hold of an arrow.
void CalendarPopup::MouseMovedWithButton(WPARAM keys) {
    RECT before{}, after{};
    GetWindowRect(hwnd_, &before);
    DragWithMouse(keys);
    GetWindowRect(hwnd_, &after);
    if (!EqualRect(&before, &after))
        calendar_->Model().HeldArrow.reset();
}

// What the pop-up shows for the selected day, one a line: the day line, the
// lines under the grid (the countdown, the schedule's note) and, with the
// Chinese calendar, the almanac; the Gregorian layout shows the day line alone.
std::wstring CalendarPopup::ShownText() const {
    std::vector<std::string> lines = calendar_->ShownLines();
    if (!calendar_->Lunar())
        lines.resize(1);
    else
        for (std::string& line : calendar_->AlmanacText())
            lines.push_back(std::move(line));
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\r\n") + line;
    return Utf8ToWide(text);
}

std::optional<LRESULT> CalendarPopup::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH)
        return AnswerGetText(ShownText(), msg, wParam, lParam);
    if (msg == WM_LBUTTONUP)
        calendar_->Model().MouseUp();
    if (msg != WM_DPICHANGED)
        return std::nullopt;
    ApplyDpi(DpiOfDpiChanged(wParam));
    MoveToSuggestedRect(hwnd_, lParam);
    return 0;
}

} // namespace vemora
