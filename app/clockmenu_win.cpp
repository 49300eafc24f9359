// The clock's context menu, its double-click, and the routines that show the
// companion windows.
#include "app/about_win.h"
#include "app/autostart.h"
#include "app/clockwindow_win.h"
#include "app/companions_win.h"
#include "app/placement.h"
#include "base/text_win.h"
#include "calendar/calpopup_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "power/shutdowndlg_win.h"
#include "app/settingsdialog_win.h"

#include <algorithm>
#include <stdexcept>

namespace vemora {

namespace {

constexpr wchar_t kClickThroughNote[] =
    L"鼠标穿透已打开：时钟不再响应鼠标。\n\n它的菜单现在在通知区域的托盘图标上：右键单击图标打开菜单，"
    L"在那里可以关闭鼠标穿透。";

void CheckItem(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

// The context menu in its order: each command, its caption, what it runs,
// and the state its check mark shows, if any.
struct ClockWindow::MenuItem {
    MenuCommand id;
    const wchar_t* caption;
    void (ClockWindow::*run)();
    bool (*checked)(const ClockWindow&);
};

const ClockWindow::MenuItem ClockWindow::kMenuItems[] = {
    {kMenuStayOnTop, L"置顶(&F)", &ClockWindow::ToggleStayOnTop,
     [](const ClockWindow& c) { return c.settings_.stayOnTop; }},
    {kMenuHideFullScreen, L"全屏时隐藏(&H)", &ClockWindow::ToggleHideFullScreen,
     [](const ClockWindow& c) { return c.settings_.hideFullScreen; }},
    {kMenuClickThrough, L"鼠标穿透(&P)", &ClockWindow::ToggleClickThrough,
     [](const ClockWindow& c) { return c.settings_.clickThrough; }},
    {kMenuTrayIcon, L"托盘图标(&I)", &ClockWindow::ToggleTrayIcon,
     [](const ClockWindow& c) { return c.settings_.trayIcon || c.settings_.clickThrough; }},
    {kMenuWeather, L"显示天气(&W)", &ClockWindow::ToggleWeather,
     [](const ClockWindow& c) { return c.settings_.showWeather; }},
    {kMenuCalendar, L"显示日历(&C)", &ClockWindow::ToggleCalendar,
     [](const ClockWindow& c) { return c.run_.calendarShown; }},
    {kMenuHoroscope, L"今日运势(&J)", &ClockWindow::ToggleHoroscope,
     [](const ClockWindow& c) { return c.settings_.showHoroscope; }},
    {kMenuAutostart, L"开机启动(&R)", &ClockWindow::ToggleAutostart,
     [](const ClockWindow& c) { return c.run_.autostart; }},
    {kMenuSettings, L"设置(&S)", &ClockWindow::ShowSettingsDialog, nullptr},
    {kMenuTimedAction, L"定时设定(&T)", &ClockWindow::ShowTimedActionDialog,
     [](const ClockWindow& c) { return c.run_.armed; }},
    {kMenuAlarms, L"闹钟…", &ClockWindow::ShowAlarmDialog, nullptr},
    {kMenuHomePage, L"作者主页(&A)", &ClockWindow::ShowAboutAndHomePage, nullptr},
    {kMenuExit, L"退出(&X)", &ClockWindow::Exit, nullptr},
};

void ClockWindow::BuildContextMenu() {
    contextMenu_.reset(CreatePopupMenu());
    for (const MenuItem& item : kMenuItems)
        AppendMenuW(contextMenu_.get(), MF_STRING, item.id, item.caption);
}

void ClockWindow::SyncMenuChecks() {
    for (const MenuItem& item : kMenuItems)
        if (item.checked)
            CheckItem(contextMenu_.get(), item.id, item.checked(*this));
    // While the mouse passes through the clock the tray icon is its only way
    // to the menu: it cannot be switched off then.
    EnableMenuItem(contextMenu_.get(), kMenuTrayIcon, MF_BYCOMMAND | (settings_.clickThrough ? MF_GRAYED : MF_ENABLED));
}

void ClockWindow::RunMenuCommand(UINT id) {
    for (const MenuItem& item : kMenuItems)
        if (item.id == id) {
            (this->*item.run)();
            return;
        }
}

void ClockWindow::OpenCalendar() {
    run_.calendarShown = true;
    ShowCalendar();
}

void ClockWindow::ToggleStayOnTop() {
    settings_.stayOnTop = !settings_.stayOnTop;
    SyncMenuChecks();
    SetWindowPos(hwnd_, settings_.stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ClockWindow::ToggleHideFullScreen() {
    settings_.hideFullScreen = !settings_.hideFullScreen;
    SyncMenuChecks();
    CheckFullScreen();
}

void ClockWindow::ToggleClickThrough() {
    settings_.clickThrough = !settings_.clickThrough;
    SyncMenuChecks();
    ApplyClickThrough();
    UpdateTrayIcon();
    if (settings_.clickThrough && !clickThroughNoteShown_) {
        clickThroughNoteShown_ = true;
        effects_.ShowNote(hwnd_, reporter_.Title(), kClickThroughNote);
    }
}

void ClockWindow::ToggleTrayIcon() {
    settings_.trayIcon = !settings_.trayIcon;
    SyncMenuChecks();
    UpdateTrayIcon();
}

void ClockWindow::ToggleWeather() {
    settings_.showWeather = !settings_.showWeather;
    SyncMenuChecks();
    if (settings_.showWeather)
        companions_->weather.Show(true); // asked for: a failure with nothing to show is told once
    else
        companions_->weather.Hide();
}

void ClockWindow::ToggleCalendar() {
    run_.calendarShown = !run_.calendarShown;
    ShowCalendar();
}

void ClockWindow::ToggleHoroscope() {
    settings_.showHoroscope = !settings_.showHoroscope;
    SyncMenuChecks();
    if (settings_.showHoroscope)
        ShowHoroscope();
    else
        companions_->horoscope.Close();
}

void ClockWindow::WeatherClosed() {
    if (settings_.showWeather)
        ToggleWeather();
}

void ClockWindow::HoroscopeClosed() {
    if (settings_.showHoroscope)
        ToggleHoroscope();
}

void ClockWindow::CalendarClosed() {
    if (run_.calendarShown)
        ToggleCalendar();
}

// Autostart shows as checked only when the Run value exists, starts this very
// executable, and is not switched off in the Windows start-up manager.
void ClockWindow::ReadAutostartState() {
    run_.autostart = false;
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
    const std::wstring approvedKey = Utf8ToWide(options_.approvedKey);
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
    run_.autostart = true;
}

// The check mark changes only with the registry: a refused value leaves it
// as it was, so that it never shows autostart that was not written. Turning
// it on also marks it enabled in the start-up manager, where Task Manager
// may have switched it off: the Run value alone would not start it then.
void ClockWindow::ToggleAutostart() {
    const bool wanted = !run_.autostart;
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
        HKEY approvedRaw = nullptr;
        const bool approved = RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(options_.approvedKey).c_str(), 0, nullptr,
                                              0, KEY_SET_VALUE, nullptr, &approvedRaw, nullptr) == ERROR_SUCCESS &&
                              RegSetValueExW(UniqueHkey(approvedRaw).get(), valueName.c_str(), 0, REG_BINARY,
                                             kStartupApprovedEnabled, sizeof kStartupApprovedEnabled) == ERROR_SUCCESS;
        if (!approved) {
            RegDeleteValueW(run.get(), valueName.c_str());
            throw std::runtime_error("开机启动未能打开：Windows 的启动项管理拒绝了“" + std::string(kRunValueName) +
                                     "”的启用标记，Windows 不会启动它。");
        }
    } else if (run) {
        RegDeleteValueW(run.get(), valueName.c_str());
    }
    run_.autostart = wanted;
    SyncMenuChecks();
}

// The dialogs take the clock's transparency as their alpha when it is above 100.
void ClockWindow::ShowDialogModal(HWND dialog, const std::function<void()>& run) {
    if (settings_.transparency > 100)
        SetLayeredWindowAttributes(dialog, 0, static_cast<BYTE>(settings_.transparency & 0xFF), LWA_ALPHA);
    run();
}

void ClockWindow::ShowSettingsDialog() {
    ShowDialogModal(companions_->settings.Handle(), [this] { companions_->settings.ShowModal(); });
}

void ClockWindow::ShowTimedActionDialog() {
    ShowDialogModal(companions_->timedAction.Handle(), [this] { companions_->timedAction.ShowModal(); });
}

// The program's own About box; the home page opens only from its link.
void ClockWindow::ShowAboutAndHomePage() {
    const std::wstring settings = options_.settingsPath;
    const std::wstring log = settings.substr(0, settings.find_last_of(L"\\/") + 1) + L"vemora.log";
    AboutBox about(reporter_, effects_, appWindow_.get(), log);
    about.ShowModal();
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
    companions_->weather.Show();
}

WeatherSettings ClockWindow::WeatherValues() const {
    WeatherSettings values;
    values.on = settings_.showWeather;
    values.pageHost = settings_.weatherHost;
    values.city = settings_.city;
    values.place = settings_.place;
    values.latitude = settings_.latitude;
    values.longitude = settings_.longitude;
    values.forecastApi = settings_.forecastApi;
    values.geocodeApi = settings_.geocodeApi;
    values.airQualityApi = settings_.airQualityApi;
    values.font = settings_.font;
    values.startColour = settings_.startColour;
    values.endColour = settings_.endColour;
    values.transparency = settings_.transparency;
    values.scale = settings_.scale;
    return values;
}

void ClockWindow::CityTyped(const std::wstring& typed) {
    companions_->weather.CityTyped(typed);
}

void ClockWindow::StoreCity(const std::string& city) {
    settings_.city = city;
}

void ClockWindow::StorePlace(const std::string& city, const std::string& place, double latitude, double longitude) {
    if (!city.empty())
        settings_.city = city;
    settings_.place = place;
    settings_.latitude = latitude;
    settings_.longitude = longitude;
    // The place found is kept even if the program never ends cleanly; a
    // failed save is tried again on exit, which asks when it cannot.
    try {
        SaveSettingsFile();
    } catch (const std::exception& e) {
        Log().Write("settings", std::string("无法保存设置：") + e.what());
    }
}

// The strip stands under the clock and stays on top exactly when the clock
// does; only its z-order changes.
void ClockWindow::PlaceStrip(HWND strip) {
    PlaceWeatherStrip();
    const bool topmost = GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST;
    SetWindowPos(strip, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ClockWindow::ShowCalendar() {
    SyncMenuChecks();
    if (run_.calendarShown) {
        HWND popup = companions_->calendar.Handle();
        SetLayeredWindowAttributes(popup, 0, static_cast<BYTE>(settings_.transparency & 0xFF), LWA_ALPHA);
        PlaceCompanion(popup, Companion::Calendar);
        if (settings_.lunar) {
            // The lunar month with its almanac is wider and taller than the
            // clock's companions: at the edges of the work area it moves as
            // far as it must to stay whole.
            RECT own{};
            GetWindowRect(popup, &own);
            MONITORINFO monitor{sizeof monitor};
            GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
            const RECT& work = monitor.rcWork;
            const int width = own.right - own.left, height = own.bottom - own.top;
            const ScreenPoint at =
                KeepInside({own.left, own.top}, width, height, PixelRect{work.left, work.top, work.right, work.bottom});
            if (at.x != own.left || at.y != own.top)
                MoveWindow(popup, at.x, at.y, width, height, TRUE);
        }
        // Beside the horoscope's sheet when that stands where the pop-up would.
        if (companions_->horoscope.Showing()) {
            RECT own{}, panel{}, clock{};
            GetWindowRect(popup, &own);
            GetWindowRect(companions_->horoscope.Handle(), &panel);
            GetWindowRect(hwnd_, &clock);
            const PixelRect margins = ScaleRectForDpi(kSheetMargins, dpi_);
            MONITORINFO monitor{sizeof monitor};
            GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
            const RECT& w = monitor.rcWork;
            const ScreenPoint at =
                AvoidCovering({own.left, own.top}, own.right - own.left, own.bottom - own.top,
                              {panel.left + margins.left, panel.top + margins.top, panel.right - margins.right,
                               panel.bottom - margins.bottom},
                              {clock.left, clock.top, clock.right, clock.bottom}, {w.left, w.top, w.right, w.bottom});
            MoveWindow(popup, at.x, at.y, own.right - own.left, own.bottom - own.top, TRUE);
        }
        companions_->calendar.Show();
    } else if (companions_->calendar.Showing()) {
        companions_->calendar.Close();
    }
}

void ClockWindow::ShowHoroscope() {
    if (companions_->horoscope.Showing())
        companions_->horoscope.Close();
    Sleep(50);
    // The panel's own show fetches and draws and reports its own failure; the
    // panel counts as shown and is placed either way.
    companions_->horoscope.Show();
    PlaceCompanion(companions_->horoscope.Handle(), Companion::Horoscope);
}

} // namespace vemora
