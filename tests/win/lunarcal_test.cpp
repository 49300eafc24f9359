#include "base/controls_win.h"
#include "base/datetime.h"
#include "calendar/calpopup_win.h"
#include "render/glow_win.h"

#include "harness.h"

#include <functional>

using namespace vemora;
using namespace vemora::test;

namespace {

COLORREF Rgb(const DibImage& image, int x, int y) {
    const std::uint32_t p = image.Pixel(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Count(const DibImage& image, const CalRect& r, const std::function<bool(int, int, int)>& test) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = Rgb(image, x, y);
            n += test(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    return n;
}

// Ink of the colours the lunar month uses, anti-aliased edges included.
bool Red(int r, int g, int b) {
    return r > 150 && g < 130 && b < 130;
}
bool Green(int r, int g, int b) {
    return g > r + 40 && g > b + 20;
}
bool SlateBlue(int r, int g, int b) {
    return b > r + 25 && b < 200;
}
bool Dark(int r, int g, int b) {
    return r < 100 && g < 100 && b < 100;
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

void Press(HWND control, int x, int y) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    SendMessageW(control, WM_LBUTTONUP, 0, At(x, y));
}

using CalendarLunar = ClockFixture;
using ClockTooltip = ClockFixture;

} // namespace

TEST_F(CalendarLunar, PopupGrowsAndKeepsItsMouseBehaviour) {
    Tfrmmain& clock = Create(true);
    clock.FormDblClick();
    HWND popup = clock.frmcal()->Handle();
    TMonthCalendar& cal = clock.frmcal()->MonthCalendar1();
    ASSERT_TRUE(cal.Lunar()) << "on by default";
    const LunarLayout l; // Tahoma of 11 pixels, the pop-up's font
    RECT p = WindowRect(popup);
    EXPECT_EQ(p.right - p.left, l.W);
    EXPECT_EQ(p.bottom - p.top, l.H);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(p.right, work.right) << "the clock at the right edge: moved left to stay whole";
    MoveWindow(clock.Handle(), 100, 40, kClockWidth, kClockHeight, TRUE);
    clock.FormDblClick();
    EXPECT_EQ(WindowRect(popup).left, 110) << "with room, under the clock as always";
    EXPECT_EQ(WindowRect(cal.Handle()).right - WindowRect(cal.Handle()).left, l.W) << "the calendar fills it";
    const RECT today = cal.TodayButton().bounds;
    EXPECT_EQ(today.top, l.ButtonTop());
    EXPECT_EQ(today.left, l.W / 2 - CalendarGeometry::kButtonWidth / 2);

    int changes = 0;
    cal.Model().OnChange = [&] { ++changes; };
    HWND control = cal.Handle();
    Press(control, l.W - 3, 5); // right arrow
    EXPECT_EQ(cal.Model().Month, 1);
    EXPECT_EQ(cal.Model().Year, 2027);
    const CalRect cell = l.Cell(2, 1);
    Press(control, cell.right - 2, cell.bottom - 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2027, 1, 6)) << "a Wednesday, Monday first";
    Press(control, l.W / 2, l.InfoLine().top + 3); // the info line selects nothing
    EXPECT_EQ(changes, 1);
    Press(control, today.left + 5, today.top + 5);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 7));
    EXPECT_EQ(cal.Model().Month, 12);

    // The setting switched off and on again: the pop-up changes size in place.
    MoveWindow(popup, 40, 300, l.W, l.H, TRUE);
    ClockSettings.Lunar = false;
    clock.ApplyLunarSetting();
    p = WindowRect(popup);
    EXPECT_EQ(p.left, 40);
    EXPECT_EQ(p.right - p.left, 153);
    EXPECT_EQ(p.bottom - p.top, 169);
    EXPECT_EQ(cal.TodayButton().bounds.left, 53);
    EXPECT_EQ(cal.TodayButton().bounds.top, 133);
    ClockSettings.Lunar = true;
    clock.ApplyLunarSetting();
    EXPECT_EQ(WindowRect(popup).bottom - WindowRect(popup).top, l.H);
}

TEST_F(CalendarLunar, CellsMarksColoursAndInfoLine) {
    WriteFileBytes(folder.File(L"holidays.txt"), "# 2027\n2027-01-01 休\n2027-01-09 班\n2027-02-30 休\nnonsense\n");
    Tfrmmain& clock = Create(true);
    ASSERT_EQ(effects.errors.size(), 1u) << "all bad lines in one box";
    EXPECT_NE(effects.errors[0].find(L"第 4 行"), std::wstring::npos) << effects.errors[0];
    EXPECT_NE(effects.errors[0].find(L"第 5 行"), std::wstring::npos) << effects.errors[0];

    TMonthCalendar& cal = clock.frmcal()->MonthCalendar1();
    const LunarLayout& l = *cal.LunarGeometry();
    // December 2026 with Monday first: 7 December in column 0 of row 1, 大雪 under it.
    EXPECT_EQ(cal.FaceAt(0, 1).text, "大雪");
    EXPECT_EQ(cal.InfoLineText(), L"农历十月廿九 丙午年 马 大雪");

    // January 2027 starts on a Friday: 元旦 in column 4, 腊月 from the 8th, the
    // 班 Saturday 9th in column 5 of row 1, 小寒 on Tuesday the 5th.
    cal.Model().SetDate(EncodeDate(2027, 1, 21));
    struct Case {
        int col, row;
        const char* text;
        DayArrangement arrangement;
        bool rest;
    };
    const Case cases[] = {
        {4, 0, "元旦", DayArrangement::Holiday, true},   {5, 1, "初二", DayArrangement::Workday, false},
        {6, 1, "初三", DayArrangement::Ordinary, true},  {1, 1, "小寒", DayArrangement::Ordinary, false},
        {4, 1, "腊月", DayArrangement::Ordinary, false},
    };
    DibImage image(l.W, l.H);
    cal.Paint(image.Dc());
    for (const Case& c : cases) {
        const LunarCellFace face = cal.FaceAt(c.col, c.row);
        EXPECT_EQ(face.text, c.text) << c.col << "," << c.row;
        EXPECT_EQ(face.arrangement, c.arrangement) << c.text;
        const CalRect mark = l.Mark(c.col, c.row);
        EXPECT_EQ(Count(image, mark, Red) > 0, c.arrangement == DayArrangement::Holiday) << c.text << ": 休";
        EXPECT_EQ(Count(image, mark, SlateBlue) > 0, c.arrangement == DayArrangement::Workday) << c.text << ": 班";
        const CalRect number = l.DayNumber(c.col, c.row);
        const CalRect digits{number.left, number.top, mark.left, number.bottom};
        EXPECT_EQ(Count(image, digits, Red) > 0, c.rest) << c.text << ": a day off in red";
        EXPECT_EQ(Count(image, l.LunarText(c.col, c.row), Red) > 0, face.kind == LunarTextKind::Festival) << c.text;
        EXPECT_EQ(Count(image, l.LunarText(c.col, c.row), Green) > 0, face.kind == LunarTextKind::SolarTerm) << c.text;
    }
    const CalRect holiday = l.Cell(4, 0);
    EXPECT_EQ(Rgb(image, holiday.left + 1, holiday.bottom - 2), RGB(255, 234, 234)) << "a holiday break is tinted";
    EXPECT_EQ(cal.Model().SelectedCellRect, l.Cell(3, 3));
    EXPECT_EQ(cal.InfoLineText(), L"农历腊月十四 丙午年 马");
    EXPECT_GT(Count(image, l.InfoLine(), Dark), 15);
}

TEST_F(ClockTooltip, TheDateWhileThePointerRestsOnTheClock) {
    Tfrmmain& clock = Create(true);
    clock.Timer1Timer();
    HWND tip = clock.ClockTipWindow();
    ASSERT_TRUE(tip);
    const RECT c = WindowRect(clock.Handle());
    auto restOnClock = [&] {
        SetCursorPos(c.left - 50, c.bottom + 200);
        Pump(100);
        SetCursorPos((c.left + c.right) / 2, (c.top + c.bottom) / 2);
        for (int i = 0; i < 30 && !IsWindowVisible(tip); ++i)
            Pump(100);
        return WindowText(tip);
    };
    EXPECT_EQ(restOnClock(), L"2026年12月7日 星期一 农历十月廿九 大雪");
    EXPECT_TRUE(IsWindowVisible(tip));
    fakeClock.now.day = 8;
    EXPECT_EQ(restOnClock(), L"2026年12月8日 星期二 农历十月三十") << "the text follows the day";
    SetCursorPos(0, 900);
}
