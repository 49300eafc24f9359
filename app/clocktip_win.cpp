#include "app/clocktip_win.h"
#include "base/controls_win.h"

#include "base/text_win.h"
#include "calendar/almanac.h"
#include "calendar/countdown.h"

namespace vemora {

void ClockTip::Attach(HWND clock) {
    // Owned by the clock's own owner, not by the clock.
    HWND owner = GetWindow(clock, GW_OWNER);
    tip_.reset(CreateWindowTip(clock, owner));
    if (tip_)
        SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, 600); // breaks the text at its line ends
}

std::wstring ClockTip::TextFor(const DateTimeParts& now, const HolidayBook& holidays) {
    std::wstring text;
    for (const std::string& line : ClockTipLines(holidays, now.year, now.month, now.day))
        text += (text.empty() ? L"" : L"\r\n") + Utf8ToWide(line);
    return text;
}

// The first few of each of the almanac's lists: the whole lists are in the calendar.
std::wstring ClockTip::TextFor(const DateTimeParts& now, const HolidayBook& holidays, bool lunar) {
    constexpr int kItemsEach = 4;
    const std::string almanac = lunar ? AlmanacTipLine(now.year, now.month, now.day, kItemsEach) : std::string();
    return TextFor(now, holidays) + (almanac.empty() ? L"" : L"\r\n" + Utf8ToWide(almanac));
}

bool ClockTip::Notify(LPARAM lParam, const DateTimeParts& now, const HolidayBook& holidays, bool lunar,
                      const std::wstring& status) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (!tip_ || header.hwndFrom != tip_.get() || header.code != TTN_GETDISPINFOW)
        return false;
    text_ = TextFor(now, holidays, lunar);
    if (!status.empty())
        text_ += L"\r\n" + status;
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = text_.data();
    return true;
}

} // namespace vemora
