#include "app/settingsdialog_win.h"
#include "calendar/calendarpopup_win.h"

#include "harness.h"
#include "testserver.h"

using namespace vemora;
using namespace vemora::test;

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct SettingsDialogTest : ClockFixture {
    SettingsDialog* dialog = nullptr;
    SettingsDialog& Open(const std::string& ini) {
        WriteIni("[Option]\r\n" + ini);
        Create(true);
        dialog = main->settingsDialog();
        dialog->ShowCurrentSettings();
        ShowWindow(dialog->Handle(), SW_SHOWNOACTIVATE);
        return *dialog;
    }
    void Click(int id) { SendMessageW(dialog->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Choose(HWND box, int id, int index) {
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dialog->Handle(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Vemora");
        ClockFixture::TearDown();
    }
};

} // namespace

TEST_F(SettingsDialogTest, ControlsAsLaidOut) {
    SettingsDialog& d = Open("");
    wchar_t caption[64] = {};
    GetWindowTextW(d.Handle(), caption, 64);
    EXPECT_EQ(std::wstring(caption), L"TallisVemora：设置……");
    RECT client{};
    GetClientRect(d.Handle(), &client);
    EXPECT_EQ(client.right, 326);
    EXPECT_EQ(client.bottom, 338);
    EXPECT_EQ(SendMessageW(d.transparencySlider, TBM_GETRANGEMIN, 0, 0), 10);
    EXPECT_EQ(SendMessageW(d.transparencySlider, TBM_GETRANGEMAX, 0, 0), 250)
        << "its right end draws the brightest clock";
    EXPECT_EQ(SendMessageW(d.signBox, CB_GETCOUNT, 0, 0), 12);
    EXPECT_EQ(WindowText(d.hourlyAlertCheck), L"整点报时");
    EXPECT_EQ(WindowText(d.autostartCheck), L"开机启动");
    EXPECT_EQ(WindowText(d.networkTimeCheck), L"自动校时");
    EXPECT_EQ(WindowText(d.lunarCheck), L"显示农历");
    EXPECT_EQ(WindowText(d.okButton), L"确定");
    EXPECT_EQ(WindowText(d.cancelButton), L"取消");
    EXPECT_EQ(WindowText(d.secondsCheck), L"显示秒");
    EXPECT_EQ(WindowText(d.hour12Check), L"12小时制");
    EXPECT_EQ(WindowText(d.dateCheck), L"显示日期");
    EXPECT_EQ(SendMessageW(d.scaleBox, CB_GETCOUNT, 0, 0), 11) << "50% to 300% in steps of 25";
    EXPECT_EQ(WindowText(d.scaleBox), L"100%");
    EXPECT_EQ(SettingsDialog::SelectedColour(d.startColourBox), RGB(255, 255, 255))
        << "the clock's start colour, white";
    EXPECT_GE(SendMessageW(d.startColourBox, CB_GETCOUNT, 0, 0), 20 + 20);
    // The tab order.
    HWND expected[] = {d.transparencySlider, d.fontBox,          d.autostartCheck,   d.okButton,
                       d.cancelButton,       d.hourlyAlertCheck, d.startColourBox,   d.endColourBox,
                       d.cityEdit,           d.signBox,          d.networkTimeCheck, d.lunarCheck,
                       d.secondsCheck,       d.hour12Check,      d.dateCheck,        d.scaleBox};
    HWND at = d.transparencySlider;
    for (HWND next : expected) {
        EXPECT_EQ(at, next);
        at = GetNextDlgTabItem(d.Handle(), at, FALSE);
    }
    RECT r{};
    GetWindowRect(d.Handle(), &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2) << "centred";
}

TEST_F(SettingsDialogTest, SliderAndFontRedrawAtOnce) {
    SettingsDialog& d = Open("Transparent=250\r\nFont=NoSuchFont\r\n");
    EXPECT_EQ(SendMessageW(d.transparencySlider, TBM_GETPOS, 0, 0), 250);
    EXPECT_EQ(main->CurrentSettings().transparency, 250);
    // A stored font that is not installed: the clock shows in an installed
    // one and says so once; the dialog opens with the font box to choose another.
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_EQ(WideToUtf8(effects.errors[0]).rfind("找不到字体“NoSuchFont”，时钟暂用“", 0), 0u);
    EXPECT_NE(main->CurrentSettings().font, "NoSuchFont");
    EXPECT_TRUE(IsChecked(d.hourlyAlertCheck)) << "the rest of the show ran";
    const int draws = main->DrawCount();
    Edit([&](Settings& s) { s.font = kFontSongTi; });
    d.ShowCurrentSettings();
    EXPECT_EQ(main->DrawCount(), draws) << "the slider stays: no redraw";
    SendMessageW(d.transparencySlider, TBM_SETPOS, TRUE, 10);
    d.ShowCurrentSettings();
    EXPECT_EQ(main->DrawCount(), draws + 1) << "moving the slider to 250 redrew the clock";
    SendMessageW(d.transparencySlider, TBM_SETPOS, TRUE, 120);
    SendMessageW(d.Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 120),
                 reinterpret_cast<LPARAM>(d.transparencySlider));
    EXPECT_EQ(main->CurrentSettings().transparency, 120);
    EXPECT_EQ(main->DrawCount(), draws + 2);
    EXPECT_EQ(effects.errors.size(), 1u);
    const LRESULT songTi =
        SendMessageW(d.fontBox, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Tahoma"));
    ASSERT_NE(songTi, CB_ERR);
    Choose(d.fontBox, SettingsDialog::kFontBox, static_cast<int>(songTi));
    EXPECT_EQ(main->CurrentSettings().font, "Tahoma");
    EXPECT_EQ(main->DrawCount(), draws + 3);
}

TEST_F(SettingsDialogTest, ColoursTakeTheirAlpha) {
    SettingsDialog& d = Open("");
    const int draws = main->DrawCount();
    Choose(d.startColourBox, SettingsDialog::kStartColourBox, 9); // red
    Choose(d.endColourBox, SettingsDialog::kEndColourBox, 9);
    EXPECT_EQ(main->CurrentSettings().startColour, 0x50FF0000u);
    EXPECT_EQ(main->CurrentSettings().endColour, 0xFFFF0000u);
    EXPECT_EQ(main->DrawCount(), draws) << "no redraw; the next tick shows them";
    // A system colour stands for its current value.
    const int window = static_cast<int>(
        SendMessageW(d.endColourBox, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"窗口")));
    Choose(d.endColourBox, SettingsDialog::kEndColourBox, window);
    const COLORREF sys = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(main->CurrentSettings().endColour,
              0xFF000000u | GetRValue(sys) << 16 | GetGValue(sys) << 8 | GetBValue(sys));
}

TEST_F(SettingsDialogTest, AutostartBoxFollowsTheMenuWithoutToggling) {
    Create(false);
    main->ToggleAutostart(); // registered and checked
    main.reset();
    SettingsDialog& d = Open("");
    EXPECT_TRUE(IsChecked(d.autostartCheck)) << "shows the registered state";
    EXPECT_TRUE(main->RunState().autostart) << "showing toggles nothing";
    SendMessageW(d.autostartCheck, BM_CLICK, 0, 0);
    EXPECT_FALSE(main->RunState().autostart);
    EXPECT_FALSE(IsChecked(d.autostartCheck));
    EXPECT_FALSE(GetMenuState(main->ContextMenu(), kMenuAutostart, MF_BYCOMMAND) & MF_CHECKED);
    wchar_t data[512];
    DWORD size = sizeof data;
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kRun, L"Vemora", RRF_RT_REG_SZ, nullptr, data, &size), ERROR_SUCCESS);
}

TEST_F(SettingsDialogTest, LunarBoxChangesTheCalendarAtOnce) {
    SettingsDialog& d = Open("Lunar=0\r\n");
    HWND popup = main->calendarPopup()->Handle();
    EXPECT_FALSE(IsChecked(d.lunarCheck));
    EXPECT_EQ(WindowRect(popup).right - WindowRect(popup).left, 153);
    SendMessageW(d.lunarCheck, BM_CLICK, 0, 0);
    EXPECT_TRUE(main->CurrentSettings().lunar);
    EXPECT_EQ(WindowRect(popup).right - WindowRect(popup).left, LunarLayout().W) << "before OK";
    // The close box is 取消: what was tried in the dialog is undone.
    SendMessageW(d.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(main->CurrentSettings().lunar) << "the close box undoes it";
    EXPECT_EQ(WindowRect(popup).right - WindowRect(popup).left, 153);
    main->Exit();
    EXPECT_EQ(IniValue(IniPath(), "Lunar"), "0");
}

TEST_F(SettingsDialogTest, OkTakesCitySignAndNetworkTime) {
    SettingsDialog& d = Open("Xingzuo=1\r\nCity=NANJING\r\n");
    EXPECT_EQ(WindowText(d.cityEdit), L"NANJING") << "the stored pinyin, not the name typed before";
    EXPECT_EQ(SendMessageW(d.signBox, CB_GETCURSEL, 0, 0), 1);
    struct Case {
        const wchar_t* typed;
        const char* city;
    };
    for (const Case& c : {Case{L"北京市", "BEIJING"}, Case{L"Beijing", "BEIJING"}, Case{L"市", "BEIJING"}}) {
        d.ShowCurrentSettings();
        ShowWindow(d.Handle(), SW_SHOWNOACTIVATE);
        SetWindowTextW(d.cityEdit, c.typed);
        SendMessageW(d.signBox, CB_SETCURSEL, 6, 0);
        SetChecked(d.networkTimeCheck, true);
        Click(SettingsDialog::kOkButton);
        EXPECT_EQ(main->CurrentSettings().city, c.city) << WideToUtf8(c.typed);
        EXPECT_FALSE(IsWindowVisible(d.Handle())) << "OK closes";
    }
    EXPECT_EQ(main->CurrentSettings().sign, 6);
    EXPECT_TRUE(main->CurrentSettings().networkTime);
}

// 取消, Esc and the close box put back what took effect at once (the
// transparency shown beside the slider) and drop the rest.
TEST_F(SettingsDialogTest, CancelEscAndTheCloseBoxPutBackTransparencyAndDropTheCity) {
    for (const auto& [how, message, wParam] :
         {std::tuple{"取消", WM_COMMAND, WPARAM{SettingsDialog::kCancelButton}},
          std::tuple{"Esc", WM_COMMAND, WPARAM{IDCANCEL}}, std::tuple{"close box", WM_CLOSE, WPARAM{0}}}) {
        SCOPED_TRACE(how);
        main.reset();
        SettingsDialog& d = Open("City=NANJING\r\nTransparent=200\r\n");
        SendMessageW(d.transparencySlider, TBM_SETPOS, TRUE, 77);
        SendMessageW(d.Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 77),
                     reinterpret_cast<LPARAM>(d.transparencySlider));
        EXPECT_EQ(main->CurrentSettings().transparency, 77) << "at once";
        EXPECT_EQ(WindowText(d.transparencyValue), L"77");
        SetWindowTextW(d.cityEdit, L"上海");
        SendMessageW(d.Handle(), message, wParam, 0);
        EXPECT_FALSE(IsWindowVisible(d.Handle()));
        EXPECT_EQ(main->CurrentSettings().transparency, 200);
        EXPECT_EQ(main->CurrentSettings().city, "NANJING");
    }
}

// The download runs on a worker: OK takes every setting and closes, and the
// failure arrives afterwards as one message.
TEST_F(SettingsDialogTest, AFailedWeatherDownloadOnOkIsReportedAfterwards) {
    const unsigned short refused = RefusingPort();
    SettingsDialog& d = Open("weather=0\r\nXingzuo=2\r\nWeatherHost=127.0.0.1:" + std::to_string(refused) + "\r\n");
    Edit([&](Settings& s) { s.showWeather = true; });
    SetWindowTextW(d.cityEdit, L"南京");
    SendMessageW(d.signBox, CB_SETCURSEL, 9, 0);
    SetChecked(d.networkTimeCheck, true);
    Click(SettingsDialog::kOkButton);
    EXPECT_EQ(main->CurrentSettings().city, "NANJING");
    EXPECT_EQ(main->CurrentSettings().sign, 9);
    EXPECT_TRUE(main->CurrentSettings().networkTime);
    EXPECT_FALSE(IsWindowVisible(d.Handle()));
    ASSERT_TRUE(PumpUntil([&] { return !effects.errors.empty(); }));
    Pump(100);
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_NE(effects.errors[0].find(L"127.0.0.1"), std::wstring::npos);
}

namespace {

std::wstring SelectedText(HWND box) {
    const LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return L"<none>";
    wchar_t text[64] = {};
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

} // namespace

TEST_F(SettingsDialogTest, BoxesShowTheSettingsAndChoosingNothingChangesNothing) {
    struct Case {
        const char* ini;
        const wchar_t *start, *end;
        COLORREF endRgb;
        int sign;
    } cases[] = {
        {"", L"白色", L"自定义", RGB(30, 120, 195), 1}, // the defaults: the end colour is no entry of the list
        {"Startcolor=$50FF0000\r\nEndcolor=$FFA0A0A4\r\nXingzuo=-1\r\n", L"红色", L"中灰色", RGB(160, 160, 164), 0},
        {"Startcolor=$5000FF00\r\nEndcolor=aclRed\r\nXingzuo=12\r\n", L"酸橙色", L"红色", RGB(255, 0, 0), 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        SettingsDialog& d = Open(c.ini);
        const Argb start = main->CurrentSettings().startColour, end = main->CurrentSettings().endColour;
        EXPECT_EQ(SelectedText(d.startColourBox), c.start);
        EXPECT_EQ(SelectedText(d.endColourBox), c.end);
        EXPECT_EQ(SettingsDialog::SelectedColour(d.endColourBox), c.endRgb);
        EXPECT_EQ(SendMessageW(d.signBox, CB_GETCURSEL, 0, 0), c.sign);
        Click(SettingsDialog::kOkButton);
        EXPECT_EQ(main->CurrentSettings().startColour, start);
        EXPECT_EQ(main->CurrentSettings().endColour, end);
        EXPECT_EQ(main->CurrentSettings().sign, c.sign) << "one of the twelve signs";
        main.reset();
    }
}

TEST_F(SettingsDialogTest, DropDownListsShowWholeNamesAndOpenBelowTheirBoxes) {
    SettingsDialog& d = Open("");
    // Low on the screen: the lists shorten to the room below their boxes.
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(d.Handle(), nullptr, 100, screenHeight - 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND box : {d.fontBox, d.startColourBox}) {
        ScopedWindowDC dc(box);
        ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
        LONG widest = 0;
        for (int i = 0; i < SendMessageW(box, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[256] = {};
            SIZE size{};
            GetTextExtentPoint32W(dc.get(), text,
                                  static_cast<int>(SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text))),
                                  &size);
            widest = std::max(widest, size.cx);
        }
        SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
        COMBOBOXINFO info{sizeof info};
        ASSERT_TRUE(GetComboBoxInfo(box, &info));
        const RECT list = WindowRect(info.hwndList), field = WindowRect(box);
        EXPECT_GT(list.right - list.left, widest + (box == d.startColourBox ? 22 : 0)) << "whole names";
        EXPECT_GE(list.top, field.bottom - 1) << "below its box";
        EXPECT_LE(list.bottom, screenHeight);
        SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    }
}

// The face changes on OK only: the clock then takes its new size and text.
TEST_F(SettingsDialogTest, FaceBoxesTakeEffectOnOk) {
    SettingsDialog& d = Open("Scale=150\r\nHour12=1\r\nShowSeconds=0\r\n");
    main->RedrawClock();
    EXPECT_TRUE(IsChecked(d.hour12Check));
    EXPECT_FALSE(IsChecked(d.secondsCheck));
    EXPECT_FALSE(IsChecked(d.dateCheck));
    EXPECT_EQ(WindowText(d.scaleBox), L"150%");
    EXPECT_EQ(WindowRect(main->Handle()).right - WindowRect(main->Handle()).left, 345);
    EXPECT_EQ(WindowRect(main->Handle()).bottom - WindowRect(main->Handle()).top, 83);

    struct Case {
        const wchar_t* typed;
        bool seconds, hour12, date;
        int scale; // what the clock has after OK
    };
    const Case cases[] = {
        {L"200%", true, false, true, 200}, {L"75", false, true, false, 75}, {L"99999", true, false, false, 300},
        {L"1000", true, true, true, 300},  {L"大", true, true, true, 300},  {L"１２５％", true, true, true, 125},
        {L"10%", false, false, false, 50},
    };
    for (const Case& c : cases) {
        d.ShowCurrentSettings();
        ShowWindow(d.Handle(), SW_SHOWNOACTIVATE);
        const RECT before = WindowRect(main->Handle());
        SetChecked(d.secondsCheck, c.seconds);
        SetChecked(d.hour12Check, c.hour12);
        SetChecked(d.dateCheck, c.date);
        SetWindowTextW(d.scaleBox, c.typed);
        EXPECT_EQ(WindowRect(main->Handle()).right, before.right) << "nothing before OK";
        Click(SettingsDialog::kOkButton);
        const Settings& now = main->CurrentSettings();
        EXPECT_EQ(now.showSeconds, c.seconds) << WideToUtf8(c.typed);
        EXPECT_EQ(now.hour12, c.hour12);
        EXPECT_EQ(now.showDate, c.date);
        EXPECT_EQ(now.scale, c.scale);
        const ClockLayout layout = LayoutClock(main->Dpi(), main->Face());
        const RECT after = WindowRect(main->Handle());
        EXPECT_EQ(after.right, GetSystemMetrics(SM_CXSCREEN)) << "never dragged: its top right corner stays";
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(after.right - after.left, layout.width);
        EXPECT_EQ(after.bottom - after.top, layout.height);
        EXPECT_EQ(main->ClockImage().Width(), layout.width);
        EXPECT_EQ(main->ClockImage().Height(), layout.height);
        const std::wstring shown = WindowText(main->Handle());
        EXPECT_EQ(shown.find(L"午") != std::wstring::npos, c.hour12) << WideToUtf8(shown);
        EXPECT_EQ(shown.find(L"星期") != std::wstring::npos, c.date) << WideToUtf8(shown);
    }
    d.ShowCurrentSettings();
    SetChecked(d.dateCheck, true);
    SendMessageW(d.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(main->CurrentSettings().showDate) << "the close box drops it";
    main->Exit();
    EXPECT_EQ(IniValue(IniPath(), "Scale"), "50");
    EXPECT_EQ(IniValue(IniPath(), "ShowDate"), "0");
}

TEST_F(SettingsDialogTest, OkWithACityWithoutAReadingTellsAndStaysOpen) {
    SettingsDialog& d = Open("City=NANJING\r\n");
    SetWindowTextW(d.cityEdit, L"\U0001F600!");
    Click(SettingsDialog::kOkButton);
    EXPECT_EQ(effects.errors, std::vector<std::wstring>{L"无法识别的城市名：\U0001F600!"});
    EXPECT_TRUE(IsWindowVisible(d.Handle())) << "the name can be mended";
    EXPECT_EQ(main->CurrentSettings().city, "NANJING");
}
