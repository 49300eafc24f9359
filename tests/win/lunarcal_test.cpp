#include "base/controls_win.h"
#include "base/datetime.h"
#include "base/text_win.h"
#include "calendar/almanac.h"
#include "calendar/calendarpopup_win.h"
#include "render/glow_win.h"

#include "harness.h"

#include <array>

using namespace vemora;
using namespace vemora::test;

namespace {

// Pixels of a rectangle whose colour passes a test on red, green and blue.
int Count(const DibImage& image, const CalRect& r, bool (*test)(int, int, int)) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const std::uint32_t p = image.Pixel(x, y);
            n += test((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
    return n;
}

// Ink of the colours the lunar month uses, anti-aliased edges included.
constexpr auto Red = [](int r, int g, int b) { return r > 150 && g < 130 && b < 130; };
constexpr auto Green = [](int r, int g, int b) { return g > r + 40 && g > b + 20; };
constexpr auto SlateBlue = [](int r, int, int b) { return b > r + 25 && b < 200; };
constexpr auto Dark = [](int r, int g, int b) { return r < 100 && g < 100 && b < 100; };
constexpr auto Corners = [](const RECT& r) { return std::array<LONG, 4>{r.left, r.top, r.right, r.bottom}; };

void Press(HWND control, int x, int y) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

using CalendarLunar = ClockFixture;
using ClockTooltip = ClockFixture;

} // namespace

TEST_F(CalendarLunar, PopupGrowsAndKeepsItsMouseBehaviour) {
    ClockWindow& clock = Create(true);
    clock.OpenCalendar();
    HWND popup = clock.calendarPopup()->Handle();
    MonthCalendar& cal = clock.calendarPopup()->Calendar();
    ASSERT_TRUE(cal.Lunar()) << "on by default";
    const LunarLayout l; // Tahoma of 11 pixels, the pop-up's font
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(WindowRect(popup).right, work.right) << "the clock at the right edge: moved left to stay whole";
    EXPECT_LE(WindowRect(popup).bottom, work.bottom);
    MoveWindow(clock.Handle(), 100, 40, kClockWidth, kClockHeight, TRUE);
    clock.OpenCalendar();
    EXPECT_EQ(Corners(WindowRect(popup)), (std::array<LONG, 4>{110, 130, 110 + l.W, 130 + l.H}));
    const CalRect today = cal.TodayButton().bounds;
    EXPECT_EQ(today.top, l.ButtonTop());
    EXPECT_EQ(today.left, l.W / 2 - CalendarGeometry::kButtonWidth / 2);

    int changes = 0;
    cal.Model().OnChange = [&] { ++changes; };
    Press(cal.Handle(), l.W - 3, 5); // right arrow: January 2027
    const CalRect cell = l.Cell(2, 1);
    Press(cal.Handle(), cell.right - 2, cell.bottom - 2);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2027, 1, 6)) << "a Wednesday, Monday first";
    Press(cal.Handle(), l.W / 2, l.InfoLine().top + 3); // the info line selects nothing
    EXPECT_EQ(changes, 1);
    Press(cal.Handle(), today.left + 5, today.top + 5);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 7));
    EXPECT_EQ(cal.Model().Month, 12);

    // The setting switched off: the Gregorian size and buttons, in place.
    Edit([&](Settings& s) { s.lunar = false; });
    clock.ApplyLunarSetting();
    EXPECT_EQ(Corners(WindowRect(popup)), (std::array<LONG, 4>{110, 130, 110 + 153, 130 + 169}));
    EXPECT_EQ(cal.TodayButton().bounds.left, 53);
    EXPECT_EQ(cal.TodayButton().bounds.top, 133);
}

// What the pop-up reads aloud: the selected day, then its almanac, one line
// each; with the Chinese calendar off the day alone.
TEST_F(CalendarLunar, ReadsTheSelectedDayAndItsAlmanac) {
    ClockWindow& clock = Create(true);
    clock.OpenCalendar();
    HWND popup = clock.calendarPopup()->Handle();
    clock.calendarPopup()->Calendar().Model().SetSelectedDate(EncodeDate(2026, 12, 8));
    // The day, the days to the next festival (from today, the 7th), the almanac.
    std::wstring expected = L"2026年12月8日 星期二 农历十月三十\r\n距元旦还有25天";
    for (const std::string& line : AlmanacLines(2026, 12, 8))
        expected += L"\r\n" + Utf8ToWide(line);
    EXPECT_EQ(WindowText(popup), expected);
    EXPECT_NE(expected.find(L"\r\n值神：天牢（黑道）\r\n"), std::wstring::npos);
    Edit([&](Settings& s) { s.lunar = false; });
    clock.ApplyLunarSetting();
    EXPECT_EQ(WindowText(popup), L"2026年12月8日 星期二 农历十月三十");
}

TEST_F(CalendarLunar, CellsMarksColoursAndInfoLine) {
    WriteFileBytes(folder.File(L"holidays.txt"), "# 2027\n2027-01-01 休\n2027-01-09 班\n2027-02-30 休\nnonsense\n");
    ClockWindow& clock = Create(true);
    ASSERT_EQ(effects.errors.size(), 1u) << "all bad lines in one box";
    EXPECT_NE(effects.errors[0].find(L"第 4 行"), std::wstring::npos) << effects.errors[0];
    EXPECT_NE(effects.errors[0].find(L"第 5 行"), std::wstring::npos) << effects.errors[0];

    MonthCalendar& cal = clock.calendarPopup()->Calendar();
    const LunarLayout& l = *cal.LunarGeometry();
    EXPECT_EQ(cal.FaceAt(0, 1).text, "大雪") << "7 December, Monday first";
    EXPECT_EQ(cal.InfoLineText(), L"农历十月廿九 丙午年 马 大雪");

    // January 2027, beyond the built-in years: 元旦 and the 班 Saturday come
    // from the file. Every day of the month is painted as its face says.
    cal.Model().SetDate(EncodeDate(2027, 1, 21));
    EXPECT_EQ(cal.FaceAt(4, 0).arrangement, DayArrangement::Holiday);
    EXPECT_EQ(cal.FaceAt(5, 1).arrangement, DayArrangement::Workday);
    DibImage image(l.W, l.H);
    cal.Paint(image.Dc());
    const std::vector<CalendarCell> cells = cal.Model().Cells();
    for (int i = 0; i < 42; ++i) {
        const int col = i % 7, row = i / 7;
        if (!cells[static_cast<size_t>(i)].inMonth || l.Cell(col, row) == cal.Model().SelectedCellRect)
            continue;
        const LunarCellFace face = cal.FaceAt(col, row);
        const CalRect mark = l.Mark(col, row), number = l.DayNumber(col, row), text = l.LunarText(col, row);
        const CalRect digits{number.left, number.top, mark.left, number.bottom};
        EXPECT_EQ(Count(image, mark, Red) > 0, face.arrangement == DayArrangement::Holiday) << face.text << " 休";
        EXPECT_EQ(Count(image, mark, SlateBlue) > 0, face.arrangement == DayArrangement::Workday) << face.text << " 班";
        EXPECT_EQ(Count(image, digits, Red) > 0, face.restDay) << face.text << ": a day off in red";
        EXPECT_EQ(Count(image, text, Red) > 0, face.kind == LunarTextKind::Festival) << face.text;
        EXPECT_EQ(Count(image, text, Green) > 0, face.kind == LunarTextKind::SolarTerm) << face.text;
    }
    const CalRect holiday = l.Cell(4, 0);
    const std::uint32_t tint = image.Pixel(holiday.left + 1, holiday.bottom - 2) & 0xFFFFFFu;
    EXPECT_EQ(tint, 0xFFEAEAu) << "a holiday break is tinted";
    EXPECT_EQ(cal.Model().SelectedCellRect, l.Cell(3, 3));
    EXPECT_EQ(cal.InfoLineText(), L"农历腊月十四 丙午年 马");
    EXPECT_GT(Count(image, l.InfoLine(), Dark), 15);
    // The almanac of 2027-01-21 (庚子 day of a 丑 month): 天刑, of the 黑道,
    // in grey, nothing of the 黄道's red; its 宜 labelled in red.
    const CalRect spiritRow = l.AlmanacRow(0);
    EXPECT_EQ(Count(image, spiritRow, Red), 0);
    EXPECT_GT(Count(image, spiritRow, Dark), 15) << "the 干支";
    EXPECT_GT(Count(image, l.AlmanacRow(2), Red), 5);
    EXPECT_GT(Count(image, l.AlmanacRow(3), Dark), 15);
}

TEST_F(ClockTooltip, TheDateWhileThePointerRestsOnTheClock) {
    ClockWindow& clock = Create(true);
    clock.Tick();
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
    EXPECT_EQ(restOnClock(), L"2026年12月7日 星期一 农历十月廿九 大雪\r\n距元旦还有25天\r\n" +
                                 Utf8ToWide(AlmanacTipLine(2026, 12, 7, 4)));
    EXPECT_TRUE(IsWindowVisible(tip));
    fakeClock.now.day = 8;
    EXPECT_EQ(
        restOnClock(),
        L"2026年12月8日 星期二 农历十月三十\r\n距元旦还有24天\r\n宜：入宅 安床 开光 祭祀 … 忌：嫁娶 开市 作灶 置产 …")
        << "the text follows the day";
    SetCursorPos(0, 900);
}
