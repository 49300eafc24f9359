#include "app/fullscreenwatch_win.h"

#include "app/fullscreen.h"

#include <utility>

namespace vemora {

namespace {

constexpr UINT kFlashMs = 1500;

// What the shell says of the session. Looked up at run time: older systems and
// Wine may lack the call, and the check then rests on the window in front.
ShellBusyState QueryShellBusyState() {
    using Query = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    const auto query =
        shell ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(shell, "SHQueryUserNotificationState")))
              : nullptr;
    QUERY_USER_NOTIFICATION_STATE state{};
    if (!query || FAILED(query(&state)))
        return ShellBusyState::Unknown;
    switch (state) {
    case QUNS_BUSY:
        return ShellBusyState::Busy;
    case QUNS_RUNNING_D3D_FULL_SCREEN:
        return ShellBusyState::FullScreenDirect3D;
    case QUNS_PRESENTATION_MODE:
        return ShellBusyState::Presentation;
    default:
        return ShellBusyState::Free;
    }
}

bool FullScreenProgramInFront(HWND clock) {
    ForegroundWindow front;
    wchar_t className[64] = {};
    if (HWND window = GetForegroundWindow()) {
        front.exists = true;
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        front.ours = process == GetCurrentProcessId();
        GetClassNameW(window, className, static_cast<int>(std::size(className)));
        front.className = className;
        RECT r{};
        GetWindowRect(window, &r);
        front.bounds = {r.left, r.top, r.right, r.bottom};
        const LONG style = GetWindowLongW(window, GWL_STYLE);
        front.framed = (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) != 0;
    }
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(clock, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& m = monitor.rcMonitor;
    return FullScreenInFront(front, {m.left, m.top, m.right, m.bottom}, QueryShellBusyState());
}

} // namespace

bool FullScreenWatch::Check(bool wanted, const std::vector<HWND>& windows) {
    const bool hide = wanted && !windows.empty() && FullScreenProgramInFront(windows.front());
    if (hide == hidden_)
        return false;
    hidden_ = hide;
    if (hide) {
        hiddenWindows_.clear();
        for (HWND window : windows)
            if (IsWindowVisible(window)) {
                hiddenWindows_.push_back(window);
                ShowWindow(window, SW_HIDE);
            }
        return false;
    }
    // Back without taking the focus or the foreground from the user.
    for (HWND window : std::exchange(hiddenWindows_, {}))
        if (IsWindow(window))
            ShowWindow(window, SW_SHOWNOACTIVATE);
    return true;
}

bool FullScreenWatch::BringForward(HWND clock, bool stayOnTop) {
    constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (hidden_) {
        ShowWindow(clock, SW_SHOWNOACTIVATE);
        SetWindowPos(clock, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
        SetTimer(clock, kFlashTimer, kFlashMs, nullptr);
        return true;
    }
    SetWindowPos(clock, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    if (!stayOnTop)
        SetWindowPos(clock, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
    return false;
}

// Hidden again while the full-screen program is still in front.
void FullScreenWatch::FlashEnded(HWND clock, bool stayOnTop) {
    KillTimer(clock, kFlashTimer);
    if (hidden_)
        ShowWindow(clock, SW_HIDE);
    if (!stayOnTop)
        SetWindowPos(clock, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetClickThrough(const std::vector<HWND>& windows, bool on) {
    for (HWND window : windows) {
        const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
        const LONG wanted = on ? style | WS_EX_TRANSPARENT : style & ~WS_EX_TRANSPARENT;
        if (wanted != style)
            SetWindowLongW(window, GWL_EXSTYLE, wanted);
    }
}

} // namespace vemora
