#pragma once
#include "base/datetime.h"
#include "base/companion_win.h"
#include "base/uxtheme_win.h"
#include "calendar/monthcal_win.h"

#include <functional>
#include <memory>

namespace vemora {

// The calendar pop-up: a borderless translucent window under the clock, filled
// by one month calendar. Closing it only hides it; month, selection and place
// survive until the next showing.
class Tfrmcal : public CompanionWindow<Tfrmcal> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmcal";
    // owner: the window that owns the pop-up; now: the local time, whose date
    // is the calendar's today.
    Tfrmcal(HWND owner, ErrorReporter& reporter, const UxTheme& theme, std::function<DateTimeParts()> now);
    TMonthCalendar& MonthCalendar1() { return *monthCalendar1_; }

private:
    UniqueHfont font_;
    std::unique_ptr<TMonthCalendar> monthCalendar1_;
};

} // namespace vemora
