#include "app/clocktray_win.h"

#include "base/text_win.h"
#include "calendar/lunar.h"

#include <cwchar>

namespace vemora {

namespace {

// One number per minute of the calendar.
long long MinuteOf(const DateTimeParts& t) {
    return ((static_cast<long long>(t.year) * 12 + t.month) * 31 + t.day) * 1440 + t.hour * 60 + t.minute;
}

} // namespace

std::wstring ClockTray::TipText(const DateTimeParts& now, const std::wstring& status) {
    wchar_t time[16] = {};
    swprintf(time, std::size(time), L"%02d:%02d ", now.hour, now.minute);
    return time + Utf8ToWide(DateTooltipText(now.year, now.month, now.day)) + (status.empty() ? L"" : L"\n" + status);
}

void ClockTray::Want(bool wanted, HWND clock, const DateTimeParts& now) {
    if (wanted && !icon_.Added()) {
        icon_.Add(clock, kMessage, tip_(now));
        minute_ = MinuteOf(now);
    } else if (!wanted && icon_.Added()) {
        icon_.Remove();
    }
}

void ClockTray::Minute(const DateTimeParts& now) {
    if (!icon_.Added() || MinuteOf(now) == minute_)
        return;
    minute_ = MinuteOf(now);
    icon_.SetTip(tip_(now));
}

void ClockTray::StatusChanged(const DateTimeParts& now) {
    minute_ = -1;
    Minute(now);
}

} // namespace vemora
