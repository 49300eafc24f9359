// The clock's context menu, its double-click, and the routines that show the
// companion windows.
#include "app/autostart.h"
#include "app/clockmain_win.h"
#include "base/text_win.h"
#include "calendar/calpopup_win.h"
#include "online/weather_win.h"
#include "online/xingzuo_win.h"
#include "power/shutdowndlg_win.h"
#include "app/setup_win.h"
#include "base/version.h" // made by the build from the project version

#include <algorithm>
#include <stdexcept>

namespace vemora {

namespace {

constexpr wchar_t kHomePage[] = L"https://vemora.app/";
constexpr wchar_t kAboutApp[] = L"VemoraV" VEMORA_VERSION_SHORT;
constexpr wchar_t kAboutCredits[] = L"Vemora 桌面时钟 · 天气、运势、日历与定时";

void CheckItem(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

void ClockWindow::SyncMenuChecks() {
    HMENU menu = contextMenu_.get();
    CheckItem(menu, kMenuStayOnTop, ClockSettings.Top);
    CheckItem(menu, kMenuWeather, ClockSettings.weather);
    CheckItem(menu, kMenuCalendar, ClockSettings.CalendarShown);
    CheckItem(menu, kMenuHoroscope, ClockSettings.showxz);
    CheckItem(menu, kMenuAutostart, ClockSettings.Autostart);
    CheckItem(menu, kMenuTimedAction, ClockSettings.Armed);
}

void ClockWindow::MenuCommand(UINT id) {
    switch (id) {
    case kMenuTimedAction:
        ShowTimedActionDialog();
        break;
    case kMenuStayOnTop:
        ToggleStayOnTop();
        break;
    case kMenuExit:
        Exit();
        break;
    case kMenuHomePage:
        ShowAboutAndHomePage();
        break;
    case kMenuAutostart:
        ToggleAutostart();
        break;
    case kMenuSettings:
        ShowSettingsDialog();
        break;
    case kMenuWeather:
        ToggleWeather();
        break;
    case kMenuHoroscope:
        ToggleHoroscope();
        break;
    case kMenuCalendar:
        ToggleCalendar();
        break;
    default:
        break;
    }
}

void ClockWindow::OpenCalendar() {
    ClockSettings.CalendarShown = true;
    ShowCalendar();
}

void ClockWindow::ToggleStayOnTop() {
    ClockSettings.Top = !ClockSettings.Top;
    SyncMenuChecks();
    SetWindowPos(hwnd_, ClockSettings.Top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ClockWindow::ToggleWeather() {
    ClockSettings.weather = !ClockSettings.weather;
    SyncMenuChecks();
    if (ClockSettings.weather) {
        ShowWeather();
    } else if (weatherStrip_) {
        weatherDownload_.Cancel();
        weatherStrip_->Close();
    }
}

void ClockWindow::ToggleCalendar() {
    ClockSettings.CalendarShown = !ClockSettings.CalendarShown;
    ShowCalendar();
}

void ClockWindow::ToggleHoroscope() {
    ClockSettings.showxz = !ClockSettings.showxz;
    SyncMenuChecks();
    if (ClockSettings.showxz)
        ShowHoroscope();
    else if (horoscopePanel_)
        horoscopePanel_->Close();
}

// Autostart shows as checked only when the Run value exists, starts this very
// executable, and is not switched off in the Windows start-up manager.
void ClockWindow::ReadAutostartState() {
    ClockSettings.Autostart = false;
    const std::wstring runKey = Utf8ToWide(options_.runKey);
    const std::wstring valueName = Utf8ToWide(kRunValueName);
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, runKey.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return;
    UniqueHkey run(raw);
    wchar_t data[2048] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(run.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return;
    if (!RunCommandNamesExe(WideToUtf8(data), WideToUtf8(options_.exePath)))
        return;
    const std::wstring approvedKey = Utf8ToWide(kStartupApprovedKey);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, approvedKey.c_str(), 0, KEY_QUERY_VALUE, &raw) == ERROR_SUCCESS) {
        UniqueHkey approved(raw);
        // The value's size is asked first: a value of any length is read whole.
        DWORD stateSize = 0;
        if (RegQueryValueExW(approved.get(), valueName.c_str(), nullptr, nullptr, nullptr, &stateSize) ==
                ERROR_SUCCESS &&
            stateSize > 0) {
            std::string state(stateSize, '\0');
            if (RegQueryValueExW(approved.get(), valueName.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(state.data()), &stateSize) == ERROR_SUCCESS &&
                StartupApprovedDisabled(state.substr(0, stateSize)))
                return;
        }
    }
    ClockSettings.Autostart = true;
}

// The check mark changes only with the registry: a refused value leaves it
// as it was, so that it never shows autostart that was not written.
void ClockWindow::ToggleAutostart() {
    const bool wanted = !ClockSettings.Autostart;
    const std::wstring runKey = Utf8ToWide(options_.runKey);
    const std::wstring valueName = Utf8ToWide(kRunValueName);
    HKEY raw = nullptr;
    const LONG opened =
        RegCreateKeyExW(HKEY_CURRENT_USER, runKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
    UniqueHkey run(opened == ERROR_SUCCESS ? raw : nullptr);
    if (wanted) {
        const std::wstring command = Utf8ToWide(QuotedRunCommand(WideToUtf8(options_.exePath)));
        if (!run ||
            RegSetValueExW(run.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            throw std::runtime_error("Failed to set data for '" + std::string(kRunValueName) + "'");
    } else if (run) {
        RegDeleteValueW(run.get(), valueName.c_str());
    }
    ClockSettings.Autostart = wanted;
    SyncMenuChecks();
}

// The dialogs take the clock's transparency as their alpha when it is above 100.
void ClockWindow::ShowDialogModal(HWND dialog, const std::function<void()>& run) {
    if (ClockSettings.Transparent > 100)
        SetLayeredWindowAttributes(dialog, 0, static_cast<BYTE>(ClockSettings.Transparent & 0xFF), LWA_ALPHA);
    run();
}

void ClockWindow::ShowSettingsDialog() {
    if (!settingsDialog_)
        return;
    ShowDialogModal(settingsDialog_->Handle(), [this] { settingsDialog_->ShowModal(); });
}

void ClockWindow::ShowTimedActionDialog() {
    if (!timedActionDialog_)
        return;
    ShowDialogModal(timedActionDialog_->Handle(), [this] { timedActionDialog_->ShowModal(); });
}

void ClockWindow::ShowAboutAndHomePage() {
    effects_.ShowAbout(hwnd_, kAboutApp, kAboutCredits);
    effects_.OpenUrl(kHomePage);
}

void ClockWindow::Exit() {
    SetTimerEnabled(false);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    // An exit called off (the settings could not be saved and the user
    // stays) must not leave the clock standing still.
    if (hwnd_ && IsWindow(hwnd_))
        SetTimerEnabled(true);
}

void ClockWindow::ShowWeather() {
    if (!weatherStrip_)
        return;
    HWND strip = weatherStrip_->Handle();
    weatherStrip_->Show();
    PlaceWeatherStrip();
    // The strip stays on top exactly when the clock does; only its z-order changes.
    const bool topmost = GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST;
    SetWindowPos(strip, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StartWeatherDownload();
}

// The weather line at the strip's own resolution.
void ClockWindow::DrawWeatherStrip() {
    if (!weatherStrip_ || ClockSettings.WeatherText.empty())
        return;
    const int dpi = weatherStrip_->Dpi();
    weatherRenderer_.Render(weatherStrip_->Handle(), GbkToWide(ClockSettings.WeatherText), ClockSettings.Font,
                            ScaleForDpi(kWeatherEmSize, dpi), ClockSettings.Startcolor, ClockSettings.Endcolor,
                            ClockSettings.Transparent, dpi);
}

// The strip keeps its last drawing until the new line arrives. While a
// download runs, asking again starts nothing; a new city is fetched once the
// running download ends, whose line is then dropped.
void ClockWindow::StartWeatherDownload() {
    const std::string url = CurrentWeatherUrl();
    weatherDownload_.Start(url, [&](unsigned generation) { DownloadWeather(mailbox_, generation, url); });
}

void ClockWindow::ShowCalendar() {
    SyncMenuChecks();
    if (!calendarPopup_)
        return;
    if (ClockSettings.CalendarShown) {
        HWND popup = calendarPopup_->Handle();
        SetLayeredWindowAttributes(popup, 0, static_cast<BYTE>(ClockSettings.Transparent & 0xFF), LWA_ALPHA);
        PlaceCompanion(popup, Companion::Calendar);
        if (ClockSettings.Lunar) {
            // The lunar month is wider than the clock: at the right edge of the
            // screen it moves left as far as it must to stay whole.
            RECT own{};
            GetWindowRect(popup, &own);
            MONITORINFO monitor{sizeof monitor};
            GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
            const int width = own.right - own.left;
            const int left = std::max<int>(monitor.rcWork.left, std::min<int>(own.left, monitor.rcWork.right - width));
            if (left != own.left)
                MoveWindow(popup, left, own.top, width, own.bottom - own.top, TRUE);
        }
        calendarPopup_->Show();
    } else if (calendarPopup_->Showing()) {
        calendarPopup_->Close();
    }
}

void ClockWindow::ShowHoroscope() {
    if (!horoscopePanel_)
        return;
    if (horoscopePanel_->Showing())
        horoscopePanel_->Close();
    Sleep(50);
    // The panel's own show fetches and draws and reports its own failure; the
    // panel counts as shown and is placed either way.
    horoscopePanel_->Show();
    PlaceCompanion(horoscopePanel_->Handle(), Companion::Horoscope);
}

} // namespace vemora
