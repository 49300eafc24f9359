#include "app/clockmenu_win.h"

#include "app/clockwindow_win.h"

namespace vemora {

namespace {

// The context menu in its order: each command, its caption, what it runs,
// and the state its check mark shows, if any.
struct MenuItem {
    MenuCommand id;
    const wchar_t* caption;
    void (ClockWindow::*run)();
    bool (*checked)(const ClockWindow&);
};

const Settings& Of(const ClockWindow& c) {
    return c.CurrentSettings();
}

const MenuItem kMenuItems[] = {
    {kMenuStayOnTop, L"置顶(&F)", &ClockWindow::ToggleStayOnTop, [](const ClockWindow& c) { return Of(c).stayOnTop; }},
    {kMenuHideFullScreen, L"全屏时隐藏(&H)", &ClockWindow::ToggleHideFullScreen,
     [](const ClockWindow& c) { return Of(c).hideFullScreen; }},
    {kMenuClickThrough, L"鼠标穿透(&P)", &ClockWindow::ToggleClickThrough,
     [](const ClockWindow& c) { return Of(c).clickThrough; }},
    {kMenuTrayIcon, L"托盘图标(&I)", &ClockWindow::ToggleTrayIcon,
     [](const ClockWindow& c) { return Of(c).trayIcon || Of(c).clickThrough; }},
    {kMenuWeather, L"显示天气(&W)", &ClockWindow::ToggleWeather,
     [](const ClockWindow& c) { return Of(c).showWeather; }},
    {kMenuCalendar, L"显示日历(&C)", &ClockWindow::ToggleCalendar,
     [](const ClockWindow& c) { return c.RunState().calendarShown; }},
    {kMenuHoroscope, L"今日运势(&J)", &ClockWindow::ToggleHoroscope,
     [](const ClockWindow& c) { return Of(c).showHoroscope; }},
    {kMenuAutostart, L"开机启动(&R)", &ClockWindow::ToggleAutostart,
     [](const ClockWindow& c) { return c.AutostartOn(); }},
    {kMenuSettings, L"设置(&S)", &ClockWindow::ShowSettingsDialog, nullptr},
    {kMenuTimedAction, L"定时设定(&T)", &ClockWindow::ShowTimedActionDialog,
     [](const ClockWindow& c) { return c.RunState().armed; }},
    {kMenuAlarms, L"闹钟…", &ClockWindow::ShowAlarmDialog, nullptr},
    {kMenuHomePage, L"作者主页(&A)", &ClockWindow::ShowAboutAndHomePage, nullptr},
    {kMenuExit, L"退出(&X)", &ClockWindow::Exit, nullptr},
};

} // namespace

ClockMenu::ClockMenu(ClockWindow& clock) : clock_(clock), menu_(CreatePopupMenu()) {
    for (const MenuItem& item : kMenuItems)
        AppendMenuW(menu_.get(), MF_STRING, item.id, item.caption);
}

void ClockMenu::Sync() const {
    for (const MenuItem& item : kMenuItems)
        if (item.checked)
            CheckMenuItem(menu_.get(), item.id, MF_BYCOMMAND | (item.checked(clock_) ? MF_CHECKED : MF_UNCHECKED));
    // While the mouse passes through the clock the tray icon is its only way
    // to the menu: it cannot be switched off then.
    EnableMenuItem(menu_.get(), kMenuTrayIcon,
                   MF_BYCOMMAND | (clock_.CurrentSettings().clickThrough ? MF_GRAYED : MF_ENABLED));
}

bool ClockMenu::Run(UINT id) const {
    for (const MenuItem& item : kMenuItems)
        if (item.id == id) {
            (clock_.*item.run)();
            return true;
        }
    return false;
}

} // namespace vemora
