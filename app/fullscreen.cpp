#include "app/fullscreen.h"

namespace vemora {

namespace {

// The desktop and the taskbar cover a monitor without being a program the
// clock should hide for; so does the system's desktop window itself, which
// is in front when no program is (under Wine without Explorer, always).
bool IsShellWindow(std::wstring_view className) {
    return className == L"Progman" || className == L"WorkerW" || className == L"Shell_TrayWnd" ||
           className == L"#32769";
}

} // namespace

bool FullScreenInFront(const ForegroundWindow& front, const PixelRect& clockMonitor, ShellBusyState shell) {
    if (shell == ShellBusyState::Busy || shell == ShellBusyState::FullScreenDirect3D ||
        shell == ShellBusyState::Presentation)
        return true;
    if (!front.exists || front.ours || front.framed || IsShellWindow(front.className))
        return false;
    if (clockMonitor.Width() <= 0 || clockMonitor.Height() <= 0)
        return false;
    // A window larger than the monitor (a maximised window's frame hangs a few
    // pixels over the edges) covers it as well.
    return front.bounds.left <= clockMonitor.left && front.bounds.top <= clockMonitor.top &&
           front.bounds.right >= clockMonitor.right && front.bounds.bottom >= clockMonitor.bottom;
}

} // namespace vemora
