#include "app/aboutbox_win.h"
#include "power/actionnotice_win.h"
#include "power/power_win.h"
#include "weather/weatherstrip_win.h"
#include "power/timedactiondialog_win.h"
#include "app/settingsdialog_win.h"

#include "harness.h"

#include <mmsystem.h>

using namespace vemora;
using namespace vemora::test;

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kApproved[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::wstring RunValue() {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, L"Vemora", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<none>";
    return data;
}

void SetRunValue(const std::wstring& data) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"Vemora", REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void DeleteRunValues() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Vemora");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kApproved, L"Vemora");
}

bool Checked(ClockWindow& m, UINT id) {
    return GetMenuState(m.ContextMenu(), id, MF_BYCOMMAND) & MF_CHECKED;
}

BYTE DialogAlpha(HWND dialog) {
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(dialog, nullptr, &alpha, &flags);
    return alpha;
}

struct Menu : ClockFixture {
    void SetUp() override {
        ClockFixture::SetUp();
        DeleteRunValues();
    }
    void TearDown() override {
        ClockFixture::TearDown();
        DeleteRunValues();
    }
};
using TimedAction = Menu;

} // namespace

TEST_F(Menu, ItemsCaptionsOrderAndChecks) {
    WriteIni("[Option]\r\nweather=0\r\nshowxz=0\r\nTop=1\r\n");
    ClockWindow& clock = Create(false);
    HMENU menu = clock.ContextMenu();
    const std::pair<UINT, const wchar_t*> expected[] = {
        {kMenuStayOnTop, L"置顶(&F)"},
        {kMenuHideFullScreen, L"全屏时隐藏(&H)"},
        {kMenuClickThrough, L"鼠标穿透(&P)"},
        {kMenuTrayIcon, L"托盘图标(&I)"},
        {kMenuWeather, L"显示天气(&W)"},
        {kMenuCalendar, L"显示日历(&C)"},
        {kMenuHoroscope, L"今日运势(&J)"},
        {kMenuAutostart, L"开机启动(&R)"},
        {kMenuSettings, L"设置(&S)"},
        {kMenuTimedAction, L"定时设定(&T)"},
        {kMenuAlarms, L"闹钟…"},
        {kMenuHomePage, L"作者主页(&A)"},
        {kMenuExit, L"退出(&X)"},
    };
    ASSERT_EQ(GetMenuItemCount(menu), 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, i), expected[i].first) << i;
        wchar_t caption[64] = {};
        GetMenuStringW(menu, i, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(caption), expected[i].second) << i;
    }
    EXPECT_TRUE(Checked(clock, kMenuStayOnTop)) << "the stored topmost mark";
    EXPECT_TRUE(Checked(clock, kMenuHideFullScreen)) << "on unless the file says otherwise";
    for (UINT id : {kMenuClickThrough, kMenuTrayIcon, kMenuWeather, kMenuCalendar, kMenuHoroscope, kMenuAutostart,
                    kMenuTimedAction})
        EXPECT_FALSE(Checked(clock, id)) << id;
}

namespace {
bool PassesMouse(HWND window) {
    return GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT;
}
} // namespace

// Click-through as stored, switched off and on from the menu: the clock and
// its weather strip let the mouse through, the tray icon stays while they do,
// and the user is told once where the menu went.
TEST_F(Menu, ClickThroughTakesTheMouseAwayAndKeepsTheTrayIcon) {
    WriteIni("[Option]\r\nwake=0\r\nHideFullScreen=0\r\nClickThrough=1\r\nTrayIcon=0\r\n");
    ClockWindow& clock = Create(true);
    HWND strip = clock.weatherStrip()->Handle();
    EXPECT_TRUE(PassesMouse(clock.Handle()));
    EXPECT_TRUE(PassesMouse(strip));
    EXPECT_TRUE(clock.Tray().Added()) << "the menu's only way while the mouse passes through";
    EXPECT_FALSE(Checked(clock, kMenuHideFullScreen));
    EXPECT_TRUE(Checked(clock, kMenuClickThrough));
    EXPECT_TRUE(Checked(clock, kMenuTrayIcon));
    EXPECT_TRUE(GetMenuState(clock.ContextMenu(), kMenuTrayIcon, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_NE(clock.Tray().Tip().find(L"2026年12月7日"), std::wstring::npos) << WideToUtf8(clock.Tray().Tip());
    fakeClock.Set(13, 59, 59);
    clock.Tick();
    fakeClock.Set(14, 0, 0);
    clock.Tick();
    EXPECT_EQ(clock.Tray().Tip().rfind(L"14:00 ", 0), 0u) << "the tip follows the minute";

    SendMessageW(clock.Handle(), WM_COMMAND, kMenuClickThrough, 0);
    EXPECT_FALSE(PassesMouse(clock.Handle()));
    EXPECT_FALSE(PassesMouse(strip));
    EXPECT_FALSE(clock.Tray().Added()) << "TrayIcon=0: gone with click-through";
    EXPECT_TRUE(effects.errors.empty()) << "nothing said when the mouse comes back";

    for (int i = 0; i < 3; ++i)
        SendMessageW(clock.Handle(), WM_COMMAND, kMenuClickThrough, 0);
    EXPECT_TRUE(PassesMouse(clock.Handle()));
    ASSERT_EQ(effects.errors.size(), 1u) << "the note is shown once";
    EXPECT_NE(effects.errors[0].find(L"托盘图标"), std::wstring::npos);

    SendMessageW(clock.Handle(), WM_COMMAND, kMenuTrayIcon, 0);
    SendMessageW(clock.Handle(), WM_COMMAND, kMenuHideFullScreen, 0);
    SendMessageW(clock.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(IniValue(IniPath(), "ClickThrough"), "1");
    EXPECT_EQ(IniValue(IniPath(), "TrayIcon"), "1");
    EXPECT_EQ(IniValue(IniPath(), "HideFullScreen"), "1");
}

// The tray icon's menu is the clock's own and works with the mouse passing
// through the clock: switching click-through off there gives the mouse back.
// (Wine under Xvfb shows no notification area, so the icon's callback message
// is sent as the shell would send it.)
TEST_F(Menu, TrayIconMenuIsTheClocksOwn) {
    WriteIni("[Option]\r\nClickThrough=1\r\nwake=0\r\n");
    ClockWindow& clock = Create(true);
    ASSERT_TRUE(clock.Tray().Added());
    // The menu opens at the pointer; it is closed as soon as it shows, by
    // picking its 鼠标穿透 with the keyboard.
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu)
            PostMessageW(menu, WM_CHAR, L'p', 0);
    });
    SendMessageW(clock.Handle(), ClockWindow::kTrayMessage, 1, WM_RBUTTONUP);
    Pump(200);
    EXPECT_FALSE(PassesMouse(clock.Handle())) << "click-through switched off from the tray menu";

    SendMessageW(clock.Handle(), ClockWindow::kTrayMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(clock.RunState().calendarShown) << "a double click on the icon shows the calendar";
}

TEST_F(Menu, TopmostToggleKeepsHandleAndLayeredStyle) {
    ClockWindow& clock = Create(true);
    HWND before = clock.Handle();
    const bool wasChecked = Checked(clock, kMenuStayOnTop);
    clock.ToggleStayOnTop();
    EXPECT_NE(Checked(clock, kMenuStayOnTop), wasChecked);
    EXPECT_EQ(clock.Handle(), before);
    EXPECT_TRUE(GetWindowLongW(before, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ((GetWindowLongW(before, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, Checked(clock, kMenuStayOnTop));
    clock.ToggleStayOnTop();
    EXPECT_EQ(Checked(clock, kMenuStayOnTop), wasChecked);
    EXPECT_EQ((GetWindowLongW(before, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, wasChecked);
}

TEST_F(Menu, AutostartWritesAQuotedRunValueAndDeletesIt) {
    ClockWindow& clock = Create(false);
    EXPECT_FALSE(Checked(clock, kMenuAutostart));
    clock.ToggleAutostart();
    EXPECT_TRUE(Checked(clock, kMenuAutostart));
    EXPECT_EQ(RunValue(), L"\"" + folder.File(L"Vemora.exe") + L"\"");
    clock.ToggleAutostart();
    EXPECT_FALSE(Checked(clock, kMenuAutostart));
    EXPECT_EQ(RunValue(), L"<none>");
    clock.ToggleAutostart(); // again, then a restart sees it
    main.reset();
    Create(false);
    EXPECT_TRUE(Checked(*main, kMenuAutostart)) << "an existing value for this executable checks the item at start";
    main->ToggleAutostart();
    EXPECT_EQ(RunValue(), L"<none>") << "the first click after a restart turns autostart off";
}

TEST_F(Menu, AutostartMarkOnlyForThisExecutableAndWhenNotDisabled) {
    SetRunValue(L"C:\\Other\\Vemora.exe");
    EXPECT_FALSE(Checked(Create(false), kMenuAutostart)) << "a value naming another program";
    main.reset();
    SetRunValue(folder.File(L"Vemora.exe")); // unquoted, as older versions wrote it
    EXPECT_TRUE(Checked(Create(false), kMenuAutostart));
    main.reset();
    const BYTE disabled[12] = {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, L"Vemora", REG_BINARY, disabled, sizeof disabled);
    EXPECT_FALSE(Checked(Create(false), kMenuAutostart)) << "switched off in the start-up manager";
    main.reset();
    std::vector<BYTE> longer(100, 0);
    longer[0] = 3;
    RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, L"Vemora", REG_BINARY, longer.data(),
                    static_cast<DWORD>(longer.size()));
    EXPECT_FALSE(Checked(Create(false), kMenuAutostart)) << "a value longer than 64 bytes is read whole";
}

TEST_F(Menu, ARefusedAutostartLeavesTheMarkAsItWas) {
    // Under a volatile key no lasting key can be made: the registry refuses.
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VemoraVolatile", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(raw);
    runKey = "Software\\VemoraVolatile\\Run";
    ClockWindow& clock = Create(true);
    SendMessageW(clock.Handle(), WM_COMMAND, kMenuAutostart, 0);
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_EQ(effects.errors[0], L"Failed to set data for 'Vemora'");
    EXPECT_FALSE(Checked(clock, kMenuAutostart));
    // The settings dialog's box shows the same.
    SettingsDialog& dialog = *clock.settingsDialog();
    dialog.ShowCurrentSettings();
    SendMessageW(dialog.autostartCheck, BM_CLICK, 0, 0);
    EXPECT_EQ(effects.errors.size(), 2u);
    EXPECT_FALSE(IsChecked(dialog.autostartCheck));
    EXPECT_FALSE(Checked(clock, kMenuAutostart));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VemoraVolatile");
}

// Switched off in Task Manager: turning autostart on marks it enabled there
// too; where that mark is refused, the item stays off and the user is told.
TEST_F(Menu, AutostartOnAlsoEnablesItInTheStartUpManager) {
    const BYTE disabled[12] = {3};
    RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, L"Vemora", REG_BINARY, disabled, sizeof disabled);
    ClockWindow& clock = Create(false);
    clock.ToggleAutostart();
    EXPECT_TRUE(Checked(clock, kMenuAutostart));
    BYTE state[12] = {};
    DWORD size = sizeof state;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kApproved, L"Vemora", RRF_RT_REG_BINARY, nullptr, state, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(state[0] & 1, 0) << "enabled in the start-up manager";
    clock.ToggleAutostart();
    main.reset();

    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VemoraVolatile", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(raw);
    approvedKey = "Software\\VemoraVolatile\\Approved";
    ClockWindow& refused = Create(false);
    SendMessageW(refused.Handle(), WM_COMMAND, kMenuAutostart, 0);
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_NE(effects.errors[0].find(L"开机启动未能打开"), std::wstring::npos) << WideToUtf8(effects.errors[0]);
    EXPECT_FALSE(Checked(refused, kMenuAutostart));
    EXPECT_EQ(RunValue(), L"<none>") << "no Run value that Windows would not start";
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VemoraVolatile");
}

TEST_F(Menu, StayOnTopMarkAndWindowAgreeFromTheStart) {
    struct Case {
        const char* what;
        const char* ini; // none: no file
        bool top;
    } cases[] = {
        {"first start", nullptr, true},
        {"a file without the key", "[Option]\r\nwake=0\r\n", true},
        {"stored off", "[Option]\r\nTop=0\r\n", false},
    };
    for (const Case& c : cases) {
        DeleteFileW(IniPath().c_str());
        if (c.ini)
            WriteIni(c.ini);
        ClockWindow& clock = Create(true);
        EXPECT_EQ(Checked(clock, kMenuStayOnTop), c.top) << c.what;
        EXPECT_EQ((GetWindowLongW(clock.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.top) << c.what;
        main.reset();
    }
}

TEST_F(Menu, DialogsTakeTheClockTransparencyAbove100) {
    ClockWindow& clock = Create(true);
    for (int transparent : {100, 101, 250}) {
        Edit([&](Settings& s) { s.transparency = transparent; });
        SetLayeredWindowAttributes(clock.settingsDialog()->Handle(), 0, 220, LWA_ALPHA);
        SetLayeredWindowAttributes(clock.timedActionDialog()->Handle(), 0, 220, LWA_ALPHA);
        // The modal loops end at once: a close is waiting for each dialog.
        PostMessageW(clock.settingsDialog()->Handle(), WM_CLOSE, 0, 0);
        clock.ShowSettingsDialog();
        PostMessageW(clock.timedActionDialog()->Handle(), WM_CLOSE, 0, 0);
        clock.ShowTimedActionDialog();
        const BYTE expected = transparent > 100 ? static_cast<BYTE>(transparent) : 220;
        EXPECT_EQ(DialogAlpha(clock.settingsDialog()->Handle()), expected) << transparent;
        EXPECT_EQ(DialogAlpha(clock.timedActionDialog()->Handle()), expected) << transparent;
        EXPECT_FALSE(IsWindowVisible(clock.timedActionDialog()->Handle()));
        EXPECT_TRUE(IsWindowEnabled(clock.Handle())) << "the clock is enabled again after the dialog";
    }
}

// The program's own About box: the home page opens only from its link, and
// the box says where the log is.
TEST_F(Menu, AboutThenHomePageAndExitWritesTheSettings) {
    ClockWindow& clock = Create(true);
    static std::wstring shown;
    static int step;
    shown.clear();
    step = 0;
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = FindOwnWindow(L"TVemoraAbout");
        if (!box || !IsWindowVisible(box))
            return;
        if (step++ == 0) {
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                shown += WindowText(child) + L"\n";
            return; // a moment with the box open: nothing is opened yet
        }
        KillTimer(nullptr, id);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(AboutBox::kHomePageLink, STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, AboutBox::kHomePageLink)));
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    clock.ShowAboutAndHomePage();
    EXPECT_NE(shown.find(L"天气数据：Open-Meteo.com"), std::wstring::npos) << WideToUtf8(shown);
    EXPECT_NE(shown.find(L"vemora.log"), std::wstring::npos) << WideToUtf8(shown);
    ASSERT_EQ(effects.urls.size(), 1u) << "the link opens the home page once, when clicked";
    Edit([&](Settings& s) { s.city = "XIAMEN"; });
    clock.Exit();
    EXPECT_FALSE(IsWindow(clock.Handle()));
    EXPECT_EQ(IniValue(IniPath(), "City"), "XIAMEN");
}

TEST_F(TimedAction, ArmResetAndFireExactlyOnce) {
    ClockWindow& clock = Create(true);
    const int draws = clock.DrawCount();
    TimedActionDialog& dialog = *clock.timedActionDialog();
    fakeClock.now = {2026, 12, 7, 23, 50, 0, 0, 1};
    dialog.ProposeDueTime();
    EXPECT_EQ(dialog.hourEdit.Value(), 0) << "proposes now + 20 minutes";
    EXPECT_EQ(dialog.minuteEdit.Value(), 10);
    EXPECT_EQ(dialog.minutesEdit.Value(), 20);
    EXPECT_EQ(dialog.WhenIndex(), 0);
    EXPECT_EQ(dialog.ChosenActionKind(), ScheduledActionKind::Shutdown);

    dialog.ChooseActionKind(ScheduledActionKind::Alarm); // the alarm sound
    dialog.Accept();
    EXPECT_TRUE(main->RunState().armed);
    // Its time is told in the dialog and in the tray's tip.
    EXPECT_EQ(WindowText(dialog.dueLabel), L"将于 12月8日 00:10 播放声音");
    clock.ToggleTrayIcon();
    EXPECT_NE(main->Tray().Tip().find(L"将于 12月8日 00:10 播放声音"), std::wstring::npos);
    EXPECT_TRUE(Checked(clock, kMenuTimedAction));
    EXPECT_FALSE(IsWindowEnabled(dialog.okButton)) << "OK is disabled while armed";
    dialog.Reset();
    EXPECT_FALSE(Checked(clock, kMenuTimedAction));
    EXPECT_TRUE(IsWindowEnabled(dialog.okButton));
    dialog.Accept();

    // Reopened while armed: the armed values stay.
    dialog.hourEdit.SetValue(5);
    fakeClock.Set(23, 55, 0);
    dialog.ProposeDueTime();
    EXPECT_EQ(dialog.hourEdit.Value(), 5);

    fakeClock.now = {2026, 12, 8, 0, 10, 0, 0, 2};
    clock.Tick();
    EXPECT_TRUE(effects.sounds.empty()) << "not yet: due at 00:10:00 exactly";
    fakeClock.Set(0, 10, 1);
    clock.Tick();
    clock.Tick();
    ASSERT_EQ(effects.sounds.size(), 1u) << "carried out once";
    EXPECT_EQ(effects.sounds[0], main->RunState().ringSound);
    EXPECT_EQ(effects.soundFlags[0], static_cast<UINT>(SND_ASYNC | SND_MEMORY));
    EXPECT_FALSE(effects.armedAtAction[0]) << "N1 is unchecked before the action";
    EXPECT_FALSE(Checked(clock, kMenuTimedAction));
    EXPECT_EQ(clock.DrawCount(), draws + 3) << "the clock keeps ticking";
    EXPECT_FALSE(IsWindowEnabled(dialog.okButton)) << "OK stays disabled until reset";
}

TEST_F(TimedAction, OkArmsOnlyWhileEnabled) {
    ClockWindow& clock = Create(true);
    TimedActionDialog& dialog = *clock.timedActionDialog();
    fakeClock.now = {2026, 12, 7, 12, 0, 0, 0, 1};
    dialog.ProposeDueTime();
    dialog.SetWhenIndex(1);
    dialog.ChooseActionKind(ScheduledActionKind::Alarm);
    auto ok = [&] {
        SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(TimedActionDialog::kOkButton, BN_CLICKED), 0);
    };
    ok();
    const double due = main->RunState().scheduledAction.due;
    fakeClock.Set(12, 5, 0);
    ok();
    EXPECT_EQ(main->RunState().scheduledAction.due, due) << "armed: no new due time";
    fakeClock.Set(12, 30, 0);
    clock.Tick(); // carried out
    ASSERT_FALSE(main->RunState().armed);
    dialog.ProposeDueTime(); // as the dialog opens
    EXPECT_TRUE(IsWindowEnabled(dialog.okButton)) << "carried out: it opens unarmed";
    ok();
    EXPECT_TRUE(main->RunState().armed) << "carried out: armed again without a reset";
}

TEST_F(TimedAction, GroupBoxesArePaintedInside) {
    ClockWindow& clock = Create(true);
    HWND dialog = clock.timedActionDialog()->Handle();
    ShowWindow(dialog, SW_SHOWNOACTIVATE);
    UpdateWindow(dialog);
    Pump(100);
    // The window's own pixels, the group boxes' areas included.
    HDC dc = GetDCEx(dialog, nullptr, DCX_CACHE);
    for (POINT p : {POINT{272, 118}, POINT{250, 214}})
        EXPECT_EQ(GetPixel(dc, p.x, p.y), GetSysColor(COLOR_BTNFACE)) << p.x << "," << p.y;
    ReleaseDC(dialog, dc);
    ShowWindow(dialog, SW_HIDE);
}

TEST_F(TimedAction, ShutdownAndRestartAfterADelay) {
    ClockWindow& clock = Create(true);
    TimedActionDialog& dialog = *clock.timedActionDialog();
    fakeClock.now = {2026, 12, 7, 12, 0, 30, 0, 1};
    for (ScheduledActionKind kind : {ScheduledActionKind::Shutdown, ScheduledActionKind::Restart}) {
        dialog.Reset();
        dialog.SetWhenIndex(1);
        dialog.minutesEdit.SetValue(1);
        dialog.ChooseActionKind(kind);
        fakeClock.Set(12, 0, 30);
        dialog.Accept();
        fakeClock.Set(12, 1, 30);
        clock.Tick();
        fakeClock.Set(12, 1, 31);
        clock.Tick();
    }
    EXPECT_EQ(effects.exitFlags, (std::vector<UINT>{5, 6}));
    EXPECT_EQ(effects.armedAtAction, (std::vector<bool>{false, false}));
}

TEST_F(TimedAction, SpinEditsKeepTheirRange) {
    ClockWindow& clock = Create(false);
    TimedActionDialog& dialog = *clock.timedActionDialog();
    SetWindowTextW(dialog.hourEdit.Edit(), L"99");
    dialog.hourEdit.Normalize();
    EXPECT_EQ(WindowText(dialog.hourEdit.Edit()), L"23");
    SetWindowTextW(dialog.minutesEdit.Edit(), L"");
    EXPECT_EQ(dialog.minutesEdit.Value(), 1) << "no number reads as the minimum";
    SendMessageW(dialog.minuteEdit.Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(dialog.minuteEdit.Edit(), WM_CHAR, L'x', 0);
    SendMessageW(dialog.minuteEdit.Edit(), WM_CHAR, L'7', 0);
    EXPECT_EQ(WindowText(dialog.minuteEdit.Edit()), L"7") << "letters are dropped";
    dialog.minutesEdit.SetValue(99999999);
    EXPECT_EQ(dialog.minutesEdit.Value(), 99999999);
}

TEST(Power, ShutdownPrivilegeInTheProcessToken) {
    auto privilegeEnabled = [] {
        HANDLE token = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
        LUID luid{};
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid);
        PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
        BOOL result = FALSE;
        PrivilegeCheck(token, &set, &result);
        CloseHandle(token);
        return result != FALSE;
    };
    EXPECT_FALSE(IsWin9xPlatform());
    RecordingEffects effects;
    RebootComputer(effects);
    EXPECT_FALSE(privilegeEnabled()) << "a restart disables the privilege again";
    ShutdownComputer(effects);
    EXPECT_TRUE(privilegeEnabled()) << "a shutdown leaves it enabled";
    EXPECT_EQ(effects.exitFlags, (std::vector<UINT>{6, 5}));
    EXPECT_TRUE(SetShutdownPrivilege(false));
}

TEST_F(TimedAction, AShutdownOrRestartIsAnnouncedThirtySecondsAhead) {
    ClockWindow& clock = Create(true);
    WriteIni("[Option]\r\nMine=kept\r\n"); // written by somebody else while the clock runs
    auto arm = [&](ScheduledActionKind kind) {
        main->SetArmedAction(ScheduledActionState{EncodeDate(2026, 12, 7) + EncodeTime(12, 1, 0, 0), kind});
    };
    auto tick = [&](int m, int s) {
        fakeClock.now = {2026, 12, 7, 12, m, s, 0, 1};
        clock.Tick();
    };
    // 取消 disarms: nothing happens at the due time.
    arm(ScheduledActionKind::Shutdown);
    tick(0, 29);
    EXPECT_EQ(clock.actionNotice(), nullptr) << "31 s before: no notice yet";
    HWND before = GetForegroundWindow();
    tick(0, 31);
    ActionNotice* notice = clock.actionNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(IsWindowVisible(notice->Handle()));
    EXPECT_TRUE(GetWindowLongW(notice->Handle(), GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_EQ(GetForegroundWindow(), before) << "takes no focus";
    EXPECT_NE(GetActiveWindow(), notice->Handle());
    wchar_t text[128] = {};
    GetWindowTextW(notice->text, text, 128);
    EXPECT_EQ(std::wstring(text).rfind(L"29 秒后关机", 0), 0u) << WideToUtf8(text);
    tick(0, 50);
    GetWindowTextW(notice->text, text, 128);
    EXPECT_EQ(std::wstring(text).rfind(L"10 秒后关机", 0), 0u) << "counts down";
    SendMessageW(notice->Handle(), WM_COMMAND, MAKEWPARAM(ActionNotice::kCancelButton, BN_CLICKED), 0);
    EXPECT_FALSE(main->RunState().armed);
    EXPECT_FALSE(IsWindowVisible(notice->Handle()));
    tick(1, 1);
    EXPECT_TRUE(effects.exitFlags.empty()) << "cancelled";

    // 立即执行 restarts at once, forced, with the settings saved first.
    Edit([](Settings& s) { s.transparency = 123; });
    arm(ScheduledActionKind::Restart);
    tick(0, 45);
    EXPECT_TRUE(IsWindowVisible(notice->Handle()));
    SendMessageW(notice->Handle(), WM_COMMAND, MAKEWPARAM(ActionNotice::kNowButton, BN_CLICKED), 0);
    EXPECT_EQ(effects.exitFlags, (std::vector<UINT>{kRebootFlags}));
    EXPECT_EQ(effects.armedAtAction, (std::vector<bool>{false}));
    EXPECT_FALSE(IsWindowVisible(notice->Handle()));
    EXPECT_EQ(IniValue(IniPath(), "Transparent"), "123") << "saved before the system goes down";
    EXPECT_EQ(IniValue(IniPath(), "Mine"), "kept") << "the file as it was just before, not at the start";

    // Left alone, it is carried out at its time and the notice goes.
    arm(ScheduledActionKind::Shutdown);
    tick(0, 59);
    EXPECT_TRUE(IsWindowVisible(notice->Handle()));
    tick(1, 1);
    EXPECT_EQ(effects.exitFlags, (std::vector<UINT>{kRebootFlags, kShutdownFlags}));
    EXPECT_FALSE(IsWindowVisible(notice->Handle()));
}
