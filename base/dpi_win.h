#pragma once
// The resolution windows are drawn at. The per-monitor calls came with
// Windows 8.1 and 10 and are looked up at run time; before them every monitor
// has the system's resolution.
#include "base/dpi.h"
#include "base/platform_win.h"

namespace vemora {

// The resolution of the monitor a window stands on (the system's where the
// system knows no other).
int WindowDpi(HWND window);
// The resolution of a monitor.
int MonitorDpi(HMONITOR monitor);
// Outer window rectangle, at the origin, for a client area of the given size,
// with the frame and caption of the given resolution.
RECT WindowBoundsForDpi(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// WM_DPICHANGED's new resolution, from its wParam.
inline int DpiOfDpiChanged(WPARAM wParam) {
    return LOWORD(wParam);
}
// Moves a window to the rectangle that WM_DPICHANGED suggests (its lParam).
void MoveToSuggestedRect(HWND window, LPARAM suggested);

} // namespace vemora
