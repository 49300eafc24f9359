#include "app/clocktip_win.h"

#include "base/text_win.h"
#include "calendar/lunar.h"

namespace vemora {

void ClockTip::Attach(HWND clock) {
    // Owned by the clock's own owner, not by the clock: under Wine a topmost
    // window owned by the clock keeps the clock from going back on top.
    HWND owner = GetWindow(clock, GW_OWNER);
    tip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner ? owner : clock,
                               nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!tip_)
        return; // the clock works without its tip
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = clock;
    tool.uId = reinterpret_cast<UINT_PTR>(clock);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
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
