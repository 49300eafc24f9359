// Vemora's entry: one clock per settings file, GDI+ and the common controls,
// the six windows in their order, then the message loop until the clock
// closes.
#include "app/clockwindow_win.h"
#include "base/errors.h"
#include "base/filelog_win.h"
#include "base/module_win.h"
#include "base/text_win.h"
#include "settings/settings_win.h"

#include <objbase.h>

#include <cstdint>
#include <cwchar>
#include <string>

namespace vemora {
namespace {

// The clock window of a run carries the key of its settings file.
constexpr wchar_t kSettingsKeyProperty[] = L"Vemora.SettingsFile";

// The settings file's full path, case folded as the file system folds it,
// hashed (FNV-1a, 64 bits): two clocks with one file share the key.
std::uint64_t SettingsFileKey(const std::wstring& settingsPath) {
    std::wstring full(GetFullPathNameW(settingsPath.c_str(), 0, nullptr, nullptr) + 1, L'\0');
    full.resize(GetFullPathNameW(settingsPath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    if (full.empty())
        full = settingsPath;
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    std::uint64_t key = 14695981039346656037ull;
    for (wchar_t c : full) {
        key = (key ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    return key;
}

// The clock already running with the same settings file, brought forward.
// It may still be starting: its window is waited for a few seconds.
void BringRunningClockForward(std::uint64_t key) {
    struct Search {
        HANDLE key;
        HWND found;
    } search{reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(key)), nullptr};
    for (int attempt = 0; attempt < 50 && !search.found; ++attempt) {
        EnumWindows(
            [](HWND window, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (std::wcscmp(name, ClockWindow::kClassName) == 0 &&
                    GetPropW(window, kSettingsKeyProperty) == s->key) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(100);
    }
    if (!search.found)
        return;
    SetWindowPos(search.found, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(search.found);
}

} // namespace
} // namespace vemora

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vemora;
    // Two clocks on one settings file would stand on each other, and the one
    // that exits last would write over the other's settings: a second start
    // brings the running clock forward and ends.
    const std::uint64_t settingsKey = SettingsFileKey(DefaultSettingsPath());
    std::wstring mutexName = L"Local\\Vemora.";
    for (int shift = 60; shift >= 0; shift -= 4)
        mutexName += L"0123456789abcdef"[(settingsKey >> shift) & 0xF];
    UniqueKernelHandle instance(CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    if (instance && GetLastError() == ERROR_ALREADY_EXISTS) {
        BringRunningClockForward(settingsKey);
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ScopedGdiplus gdiplus;

    RealEffects effects;
    ErrorReporter reporter(effects, Utf8ToWide(ApplicationTitle(WideToUtf8(ModulePath()))));
    try {
        ClockWindow clock(effects, reporter);
        SetPropW(clock.Handle(), kSettingsKeyProperty,
                 reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(settingsKey)));
        clock.ShowFace();
        clock.CreateCompanions();
        clock.Show();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    } catch (...) {
        // The clock, and the log it kept, are gone by now: the failure is
        // logged in the same file all the same.
        FileLog log(FolderOf(DefaultSettingsPath()));
        reporter.LogTo(&log);
        reporter.Report(nullptr, std::current_exception());
        return 1;
    }
    return 0;
}
