#include "app/desktop_win.h"

#include "base/dpi_win.h"
#include "base/module_win.h"
#include "base/text_win.h"

#include <random>

namespace vemora {

std::vector<MonitorArea> Monitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, RECT*, LPARAM list) -> BOOL {
            MONITORINFO info{sizeof info};
            if (GetMonitorInfoW(monitor, &info)) {
                const RECT& b = info.rcMonitor;
                reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
                    {{b.left, b.top, b.right, b.bottom},
                     MonitorDpi(monitor),
                     (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back({{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                            MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)),
                            true});
    return monitors;
}

PixelRect WorkAreaOf(HWND window) {
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& w = monitor.rcWork;
    return {w.left, w.top, w.right, w.bottom};
}

DateTimeParts SystemLocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    DateTimeParts t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    t.dayOfWeek = st.wDayOfWeek;
    return t;
}

namespace {

std::string LocaleString(LCTYPE type, const char* fallback) {
    wchar_t buffer[80] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80))
        return fallback;
    return WideToGbk(buffer);
}

} // namespace

TimeFormat ReadTimeFormat() {
    TimeFormat f;
    f.twelveHour = LocaleString(LOCALE_ITIME, "1") == "0";
    f.leadingZero = LocaleString(LOCALE_ITLZERO, "0") == "1";
    f.designatorFirst = LocaleString(LOCALE_ITIMEMARKPOSN, "0") == "1";
    f.separator = LocaleString(LOCALE_STIME, ":");
    f.amDesignator = LocaleString(LOCALE_S1159, "AM");
    f.pmDesignator = LocaleString(LOCALE_S2359, "PM");
    return f;
}

void ShakeWindow(HWND window) {
    RECT kept{};
    GetWindowRect(window, &kept);
    RECT rect = kept;
    std::mt19937 engine(static_cast<unsigned>(GetTickCount64()));
    auto random = [&engine](int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine); };
    for (int i = 0; i < kShakeSteps; ++i) {
        const ShakeStep step = NextShakeStep(random);
        OffsetRect(&rect, step.dx, step.dy);
        MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        Sleep(kShakePauseMs);
    }
    MoveWindow(window, kept.left, kept.top, kept.right - kept.left, kept.bottom - kept.top, TRUE);
}

HWND CreateApplicationWindow(const std::wstring& title) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof existing};
    if (!GetClassInfoExW(instance, L"TApplication", &existing)) {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.hIcon = ProgramIcon(false); // what Alt+Tab and the taskbar show for the program
        wc.hIconSm = ProgramIcon(true);
        wc.lpszClassName = L"TApplication";
        RegisterClassExW(&wc);
    }
    return CreateWindowExW(0, L"TApplication", title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                           nullptr);
}

} // namespace vemora
