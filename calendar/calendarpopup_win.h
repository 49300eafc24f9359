#pragma once
#include "base/datetime.h"
#include "base/companion_win.h"
#include "base/uxtheme_win.h"
#include "calendar/monthcalendar_win.h"

#include <functional>
#include <memory>

namespace vemora {

// The calendar pop-up: a borderless translucent window under the clock, filled
// by one month calendar. Closing it only hides it; month, selection and place
// survive until the next showing.
class CalendarPopup : public CompanionWindow<CalendarPopup> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmcal";
    // owner: the window that owns the pop-up; now: the local time, whose date
    // is the calendar's today.
    CalendarPopup(HWND owner, ErrorReporter& reporter, const UxTheme& theme, std::function<DateTimeParts()> now);
    MonthCalendar& Calendar() { return *calendar_; }
    // Shows it above the ordinary windows, without taking the focus.
    void Show();
    // The Chinese calendar in the month or not: the window takes the
    // calendar's size for it, keeping its place.
    void SetLunar(bool on);
    // The user's holiday arrangements, owned by the caller.
    void SetHolidayBook(const HolidayBook* book) { calendar_->SetHolidayBook(book); }
    // The pop-up at a resolution: its designed size scaled, the calendar in
    // it drawn at that resolution.
    void ApplyDpi(int dpi);
    int Dpi() const { return dpi_; }
    // A change of resolution; closing and dragging go through the window base.
    // The release that ends a drag begun on the control goes back to the
    // control.
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A move with the left button held drags the pop-up.
    void MouseMovedWithButton(WPARAM keys) override;
    // What WM_GETTEXT answers, one line each: the selected day, then, with the
    // Chinese calendar, its almanac.
    std::wstring ShownText() const;

private:
    int dpi_ = kDesignDpi;
    UniqueHfont font_;
    std::unique_ptr<MonthCalendar> calendar_;
};

} // namespace vemora
