#pragma once
#include "base/datetime.h"
#include "base/uxtheme_win.h"
#include "base/window_win.h"
#include "calendar/monthcal_win.h"

#include <functional>
#include <memory>
#include <optional>

namespace vemora {

// The calendar pop-up: a borderless translucent window under the clock, filled
// by one month calendar. Closing it only hides it; month, selection and place
// survive until the next showing.
class Tfrmcal : public BaseWindow<Tfrmcal> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmcal";
    static constexpr bool kDragsByMouse = true;
    // owner: the window that owns the pop-up; now: the local time, whose date
    // is the calendar's today.
    Tfrmcal(HWND owner, ErrorReporter& reporter, const UxTheme& theme, std::function<DateTimeParts()> now);
    void Show();
    void Close();
    TMonthCalendar& MonthCalendar1() { return *monthCalendar1_; }
    // Closing and dragging it answers through the window base; the release
    // that ends a drag begun on the control goes back to the control.
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    UniqueHfont font_;
    std::unique_ptr<TMonthCalendar> monthCalendar1_;
};

} // namespace vemora
