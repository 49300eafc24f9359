#include "power/screenwatch_win.h"

#include <wtsapi32.h>

#include <cstring>

namespace vemora {

const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

ScreenWatch::ScreenWatch(HWND window) : window_(window) {
    display_ = RegisterPowerSettingNotification(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!display_)
        display_ = RegisterPowerSettingNotification(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
    session_ = WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

ScreenWatch::~ScreenWatch() {
    if (display_)
        UnregisterPowerSettingNotification(display_);
    if (session_)
        WTSUnRegisterSessionNotification(window_);
}

bool ScreenWatch::Read(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool seen = Seen();
    if (msg == WM_POWERBROADCAST && wParam == PBT_POWERSETTINGCHANGE && lParam) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if ((IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) ||
             IsEqualGUID(setting->PowerSetting, kMonitorPowerOn)) &&
            setting->DataLength >= sizeof(DWORD)) {
            DWORD state = 0;
            std::memcpy(&state, setting->Data, sizeof state);
            displayOff_ = state == 0; // dimmed still shows
        }
    } else if (msg == WM_WTSSESSION_CHANGE) {
        if (wParam == WTS_SESSION_LOCK)
            locked_ = true;
        else if (wParam == WTS_SESSION_UNLOCK)
            locked_ = false;
    }
    return Seen() != seen;
}

} // namespace vemora
