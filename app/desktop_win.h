#pragma once
// What the clock reads of the desktop it stands on: the monitors, the local
// time and the user's time format, and the hidden window that owns the
// program's windows.
#include "app/clocktick.h"
#include "app/placement.h"
#include "base/datetime.h"
#include "base/platform_win.h"

#include <string>
#include <vector>

namespace vemora {

// The monitors as they are now; the primary screen alone when the system
// lists none.
std::vector<MonitorArea> Monitors();

// The work area of the monitor a window stands on (most of it).
PixelRect WorkAreaOf(HWND window);

// The local time by the system's clock.
DateTimeParts SystemLocalNow();

// The user's long time format, as the locale describes it.
TimeFormat ReadTimeFormat();

// Shakes the window about its place for a moment (the hourly alert), then
// puts it back where it stood.
void ShakeWindow(HWND window);

// The hidden top-level window that owns the program's windows: owned windows
// get no taskbar button, so the clock shows none.
HWND CreateApplicationWindow(const std::wstring& title);

} // namespace vemora
