#include "app/clocktip_win.h"
#include "base/controls_win.h"

#include "base/text_win.h"
#include "calendar/almanac.h"
#include "calendar/lunar.h"

namespace vemora {

void ClockTip::Attach(HWND clock) {
    // Owned by the clock's own owner, not by the clock.
    HWND owner = GetWindow(clock, GW_OWNER);
    tip_.reset(CreateWindowTip(clock, owner));
    // The almanac's line goes under the date: the tip breaks at "\n" once it has a width.
    if (tip_)
        SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, 800);
}

std::wstring ClockTip::TextFor(const DateTimeParts& now) {
    return Utf8ToWide(DateTooltipText(now.year, now.month, now.day));
}

// The first few of each list: the whole lists are in the calendar.
std::wstring ClockTip::TextFor(const DateTimeParts& now, bool lunar) {
    constexpr int kItemsEach = 4;
    const std::string almanac = lunar ? AlmanacTipLine(now.year, now.month, now.day, kItemsEach) : std::string();
    return TextFor(now) + (almanac.empty() ? L"" : L"\n" + Utf8ToWide(almanac));
}

bool ClockTip::Notify(LPARAM lParam, const DateTimeParts& now, bool lunar, const std::wstring& status) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (!tip_ || header.hwndFrom != tip_.get() || header.code != TTN_GETDISPINFOW)
        return false;
    text_ = TextFor(now, lunar);
    // Lines of their own: a tip breaks lines only with a width to keep to.
    SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, 600);
    if (!status.empty())
        text_ += L"\r\n" + status;
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = text_.data();
    return true;
}

} // namespace vemora
