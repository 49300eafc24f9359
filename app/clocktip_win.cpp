#include "app/clocktip_win.h"
#include "base/controls_win.h"

#include "base/text_win.h"
#include "calendar/lunar.h"

namespace vemora {

void ClockTip::Attach(HWND clock) {
    // Owned by the clock's own owner, not by the clock.
    HWND owner = GetWindow(clock, GW_OWNER);
    tip_.reset(CreateWindowTip(clock, owner));
}

std::wstring ClockTip::TextFor(const DateTimeParts& now) {
    return Utf8ToWide(DateTooltipText(now.year, now.month, now.day));
}

bool ClockTip::Notify(LPARAM lParam, const DateTimeParts& now) {
    const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (!tip_ || header.hwndFrom != tip_.get() || header.code != TTN_GETDISPINFOW)
        return false;
    text_ = TextFor(now);
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = text_.data();
    return true;
}

} // namespace vemora
