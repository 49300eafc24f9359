#pragma once
#include "base/platform_win.h"

namespace vemora {

// Whether anybody can see the clock: the display is off (or the monitor
// powered down), or the session is locked. Registers the window for the
// power-setting and session notifications for its lifetime and reads them.
class ScreenWatch {
public:
    explicit ScreenWatch(HWND window);
    ~ScreenWatch();
    ScreenWatch(const ScreenWatch&) = delete;
    ScreenWatch& operator=(const ScreenWatch&) = delete;

    // WM_POWERBROADCAST (PBT_POWERSETTINGCHANGE) and WM_WTSSESSION_CHANGE:
    // true when whether the clock can be seen changed with this message.
    bool Read(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Seen() const { return !displayOff_ && !locked_; }

private:
    HWND window_;
    HPOWERNOTIFY display_ = nullptr;
    bool session_ = false;
    bool displayOff_ = false;
    bool locked_ = false;
};

// The power settings read, as Windows names them.
extern const GUID kConsoleDisplayState; // 0 off, 1 on, 2 dimmed (Windows 8 and later)
extern const GUID kMonitorPowerOn;      // 0 off, 1 on (before Windows 8)

} // namespace vemora
