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

void Tfrmmain::SyncMenuChecks() {
    HMENU menu = popupMenu_.get();
    CheckItem(menu, N2, ClockSettings.Top);
    CheckItem(menu, N7, ClockSettings.weather);
    CheckItem(menu, N9, ClockSettings.CalendarShown);
    CheckItem(menu, N8, ClockSettings.showxz);
    CheckItem(menu, N5, ClockSettings.Autostart);
    CheckItem(menu, N1, ClockSettings.Armed);
}

void Tfrmmain::MenuCommand(UINT id) {
    switch (id) {
    case N1:
        N1Click();
        break;
    case N2:
        N2Click();
        break;
    case N3:
        N3Click();
        break;
    case N4:
        N4Click();
        break;
    case N5:
        N5Click();
        break;
    case N6:
        N6Click();
        break;
    case N7:
        N7Click();
        break;
    case N8:
        N8Click();
        break;
    case N9:
        N9Click();
        break;
    default:
        break;
    }
}

void Tfrmmain::FormDblClick() {
    ClockSettings.CalendarShown = true;
    ShowCalendar();
}

void Tfrmmain::N2Click() {
    ClockSettings.Top = !ClockSettings.Top;
    SyncMenuChecks();
    SetWindowPos(hwnd_, ClockSettings.Top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Tfrmmain::N7Click() {
    ClockSettings.weather = !ClockSettings.weather;
    SyncMenuChecks();
    if (ClockSettings.weather) {
        ShowWeather();
    } else if (frmweather_) {
        weatherDownload_.Cancel();
        frmweather_->Close();
    }
}

void Tfrmmain::N9Click() {
    ClockSettings.CalendarShown = !ClockSettings.CalendarShown;
    ShowCalendar();
}

void Tfrmmain::N8Click() {
    ClockSettings.showxz = !ClockSettings.showxz;
    SyncMenuChecks();
    if (ClockSettings.showxz)
        ShowHoroscope();
    else if (frmxingzuo_)
        frmxingzuo_->Close();
}

// Autostart shows as checked only when the Run value exists, starts this very
// executable, and is not switched off in the Windows start-up manager.
void Tfrmmain::ReadAutostartState() {
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
void Tfrmmain::N5Click() {
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
void Tfrmmain::ShowDialogModal(HWND dialog, const std::function<void()>& run) {
    if (ClockSettings.Transparent > 100)
        SetLayeredWindowAttributes(dialog, 0, static_cast<BYTE>(ClockSettings.Transparent & 0xFF), LWA_ALPHA);
    run();
}

void Tfrmmain::N6Click() {
    if (!frmset_)
        return;
    ShowDialogModal(frmset_->Handle(), [this] { frmset_->ShowModal(); });
}

void Tfrmmain::N1Click() {
    if (!frmshutdown_)
        return;
    ShowDialogModal(frmshutdown_->Handle(), [this] { frmshutdown_->ShowModal(); });
}

void Tfrmmain::N4Click() {
    effects_.ShowAbout(hwnd_, kAboutApp, kAboutCredits);
    effects_.OpenUrl(kHomePage);
}

void Tfrmmain::N3Click() {
    SetTimerEnabled(false);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    // An exit called off (the settings could not be saved and the user
    // stays) must not leave the clock standing still.
    if (hwnd_ && IsWindow(hwnd_))
        SetTimerEnabled(true);
}

void Tfrmmain::ShowWeather() {
    if (!frmweather_)
        return;
    HWND strip = frmweather_->Handle();
    frmweather_->Show();
    PlaceWeatherStrip();
    // The strip stays on top exactly when the clock does; only its z-order changes.
    const bool topmost = GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST;
    SetWindowPos(strip, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StartWeatherDownload();
}

// The weather line at the strip's own resolution.
void Tfrmmain::DrawWeatherStrip() {
    if (!frmweather_ || ClockSettings.WeatherText.empty())
        return;
    const int dpi = frmweather_->Dpi();
    weatherRenderer_.Render(frmweather_->Handle(), GbkToWide(ClockSettings.WeatherText), ClockSettings.Font,
                            ScaleForDpi(kWeatherEmSize, dpi), ClockSettings.Startcolor, ClockSettings.Endcolor,
                            ClockSettings.Transparent, dpi);
}

// The strip keeps its last drawing until the new line arrives. While a
// download runs, asking again starts nothing; a new city is fetched once the
// running download ends, whose line is then dropped.
void Tfrmmain::StartWeatherDownload() {
    const std::string url = CurrentWeatherUrl();
    weatherDownload_.Start(url, [&](unsigned generation) { DownloadWeather(mailbox_, generation, url); });
}

void Tfrmmain::ShowCalendar() {
    SyncMenuChecks();
    if (!frmcal_)
        return;
    if (ClockSettings.CalendarShown) {
        HWND popup = frmcal_->Handle();
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
        frmcal_->Show();
    } else if (frmcal_->Showing()) {
        frmcal_->Close();
    }
}

void Tfrmmain::ShowHoroscope() {
    if (!frmxingzuo_)
        return;
    if (frmxingzuo_->Showing())
        frmxingzuo_->Close();
    Sleep(50);
    // The panel's own show fetches and draws and reports its own failure; the
    // panel counts as shown and is placed either way.
    frmxingzuo_->Show();
    PlaceCompanion(frmxingzuo_->Handle(), Companion::Horoscope);
}

} // namespace vemora
