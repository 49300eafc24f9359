#pragma once
// The clock's icon in the notification area: there when the user asks for it
// and always while the mouse passes through the clock, its tip the time to
// the minute, the date and what the clock has to say.
#include "app/trayicon_win.h"
#include "base/datetime.h"

#include <functional>
#include <string>

namespace vemora {

class ClockTray {
public:
    // The icon's mouse messages come to the clock as this, with the mouse
    // message in lParam.
    static constexpr UINT kMessage = WM_APP + 2;

    // `tip` composes the tip for a minute (see TipText).
    explicit ClockTray(std::function<std::wstring(const DateTimeParts&)> tip) : tip_(std::move(tip)) {}

    // The time to the minute and the day's date, then the status lines when
    // there are any.
    static std::wstring TipText(const DateTimeParts& now, const std::wstring& status);

    // Adds or removes the icon as wanted.
    void Want(bool wanted, HWND clock, const DateTimeParts& now);
    // The tip changes once a minute: composed when the minute is new, not on every tick.
    void Minute(const DateTimeParts& now);
    // The tip anew at once, not at the next minute: what it says changed.
    void StatusChanged(const DateTimeParts& now);
    // Explorer restarted and knows no icon any more.
    void Restore() { icon_.Restore(); }
    void Remove() { icon_.Remove(); }
    const TrayIcon& Icon() const { return icon_; }

private:
    std::function<std::wstring(const DateTimeParts&)> tip_;
    TrayIcon icon_;
    long long minute_ = -1; // the minute the tip was composed for
};

} // namespace vemora
