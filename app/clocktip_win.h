#pragma once
#include "base/datetime.h"
#include "base/handles_win.h"
#include "calendar/holidays.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <type_traits>
#include <string>

namespace vemora {

// The clock's tooltip: the date, weekday and lunar date of today while the
// pointer rests on the digits, the days to the next festival, near a year's
// end whether the next year's holidays are published, and with the Chinese
// calendar shown a line with the first of the day's 宜 and 忌. The tip asks
// for its text each time it shows, so the text follows the day.
class ClockTip {
public:
    // Adds the tip to the clock window, which owns it and relays its mouse
    // messages to it.
    void Attach(HWND clock);
    HWND Handle() const { return tip_.get(); }
    // A WM_NOTIFY to the clock. The tip asking for its text (TTN_GETDISPINFOW)
    // is answered with the text for `now`; false for every other notification.
    // Below today, the countdown and the almanac: what else the clock has to
    // say (an armed action's time, a failed time set), one line each; empty
    // for nothing.
    bool Notify(LPARAM lParam, const DateTimeParts& now, const HolidayBook& holidays, bool lunar,
                const std::wstring& status = {});
    // While the returned guard lives the tip does not show: a menu, or a
    // dialog the menu opened, stands where it would.
    auto Hidden() const {
        SendMessageW(tip_.get(), TTM_ACTIVATE, FALSE, 0);
        auto show = [](HWND tip) { SendMessageW(tip, TTM_ACTIVATE, TRUE, 0); };
        return std::unique_ptr<std::remove_pointer_t<HWND>, decltype(show)>(tip_.get(), show);
    }
    // The clock is going: the tip, as its owned window, goes with it.
    void ClockDestroyed() { tip_.release(); }

    static std::wstring TextFor(const DateTimeParts& now, const HolidayBook& holidays);
    static std::wstring TextFor(const DateTimeParts& now, const HolidayBook& holidays, bool lunar);

private:
    UniqueHwnd tip_;
    std::wstring text_;
};

} // namespace vemora
