#include "base/datetime.h"
#include "calendar/monthmodel.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace vemora;

namespace {

struct Calendar {
    MonthCalendarModel model;
    int changes = 0;
    std::vector<CalRect> repaints;
    explicit Calendar(double today, StartDayOfWeek start = StartDayOfWeek::dwSunday) : model(today) {
        model.StartDay = start;
        model.Geometry = CalendarGeometry{153, 169};
        model.OnChange = [this] { ++changes; };
        model.Invalidate = [this](const CalRect& r) { repaints.push_back(r); };
    }
    // The centre of a cell's press area.
    void Press(int col, int row) {
        model.MouseDown(14 + 17 * col + 8, 36 + 15 * row + 7 + 2);
        model.MouseUp();
    }
};

std::vector<int> Days(const MonthCalendarModel& m) {
    std::vector<int> days;
    for (const CalendarCell& c : m.Cells())
        days.push_back(c.day);
    return days;
}

} // namespace

TEST(MonthModel, LayoutOfTheMonth) {
    // February 2026 starts on a Sunday and has 28 days.
    Calendar sunday(EncodeDate(2026, 2, 10));
    std::vector<CalendarCell> cells = sunday.model.Cells();
    EXPECT_EQ(cells[0].day, 1) << "no leading days";
    EXPECT_TRUE(cells[0].inMonth);
    EXPECT_EQ(cells[27].day, 28);
    for (int i = 28; i < 42; ++i) {
        EXPECT_EQ(cells[static_cast<size_t>(i)].day, i - 27) << "March 1 to 14 in the last two rows";
        EXPECT_FALSE(cells[static_cast<size_t>(i)].inMonth);
    }
    EXPECT_EQ(*cells[41].date, EncodeDate(2026, 3, 14));
    // With Monday first the same Sunday is in column 7, after six days of January.
    Calendar monday(EncodeDate(2026, 2, 10), StartDayOfWeek::dwMonday);
    cells = monday.model.Cells();
    const std::vector<int> days = Days(monday.model);
    EXPECT_EQ(std::vector<int>(days.begin(), days.begin() + 7), (std::vector<int>{26, 27, 28, 29, 30, 31, 1}));
    EXPECT_EQ(*cells[0].date, EncodeDate(2026, 1, 26));
    EXPECT_FALSE(cells[5].inMonth);
    EXPECT_TRUE(cells[6].inMonth);
    EXPECT_EQ(DayColumn(EncodeDate(2026, 2, 1), 2), 1);
    EXPECT_EQ(DayColumn(EncodeDate(2026, 2, 1), 1), 7);
    // December 1899, which None shows.
    Calendar none(0);
    EXPECT_EQ(none.model.Month, 12);
    EXPECT_EQ(none.model.Year, 1899);
    EXPECT_EQ(*none.model.DateAtCell(1, 0), EncodeDate(1899, 11, 27));
}

TEST(MonthModel, ArrowsStepMonthsAndStopAtTheEnds) {
    Calendar c(EncodeDate(2026, 1, 15));
    c.model.MouseDown(5, 5); // left arrow
    EXPECT_EQ(c.model.Year, 2025);
    EXPECT_EQ(c.model.Month, 12);
    c.model.MouseDown(153 - 5, 5); // right arrow
    c.model.MouseDown(153 - 5, 5);
    EXPECT_EQ(c.model.Year, 2026);
    EXPECT_EQ(c.model.Month, 2);
    EXPECT_EQ(c.changes, 0) << "stepping selects nothing";
    EXPECT_FALSE(c.repaints.empty());

    Calendar first(EncodeDate(1, 1, 5));
    first.model.MouseDown(5, 5);
    EXPECT_EQ(first.model.Year, 1) << "no year 0";
    EXPECT_EQ(first.model.Month, 1);
    EXPECT_FALSE(first.model.Cells()[0].date.has_value()) << "December of year 0 cannot be encoded";
    Calendar last(EncodeDate(9999, 12, 5));
    last.model.MouseDown(153 - 5, 5);
    EXPECT_EQ(last.model.Year, 9999);
    EXPECT_EQ(last.model.Month, 12);
    EXPECT_FALSE(last.model.Cells()[41].date.has_value()) << "January 10000 cannot be encoded";
}

TEST(MonthModel, SelectingDays) {
    Calendar c(EncodeDate(2026, 2, 10));
    c.Press(3, 2); // 18 February
    EXPECT_EQ(c.model.SelectedDate, EncodeDate(2026, 2, 18));
    EXPECT_EQ(c.changes, 1);
    c.Press(3, 2);
    EXPECT_EQ(c.changes, 1) << "the same day again changes nothing";
    c.Press(6, 5); // 14 March, grey
    EXPECT_EQ(c.model.SelectedDate, EncodeDate(2026, 3, 14));
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(c.model.Month, 2) << "the displayed month stays";
    // Two pixels above the drawn row still belong to it.
    c.model.MouseDown(14 + 17 * 1, 36 + 15 * 1);
    c.model.MouseUp();
    EXPECT_EQ(c.model.SelectedDate, EncodeDate(2026, 2, 9));
    // Presses mapping past the 42 cells select nothing: right of the grid, below it, beside Today.
    const double before = c.model.SelectedDate;
    for (auto [x, y] : {std::pair{133, 60}, {137, 100}, {20, 126}, {100, 140}}) {
        c.model.MouseDown(x, y);
        c.model.MouseUp();
        EXPECT_EQ(c.model.SelectedDate, before) << x << "," << y;
    }
    // Dragging with the button held selects each day entered; after the release nothing follows.
    c.model.MouseDown(14 + 8, 38 + 7);
    c.model.MouseMove(14 + 17 + 8, 38 + 7);
    EXPECT_EQ(c.model.SelectedDate, EncodeDate(2026, 2, 2));
    c.model.MouseUp();
    c.model.MouseMove(14 + 34 + 8, 38 + 7);
    EXPECT_EQ(c.model.SelectedDate, EncodeDate(2026, 2, 2));
}

TEST(MonthModel, TodayNoneAndTheirButtons) {
    Calendar c(EncodeDate(2026, 2, 10));
    c.Press(0, 0);
    c.model.MouseDown(5, 5);
    const int changes = c.changes;
    c.model.PressToday(EncodeDate(2026, 12, 7));
    EXPECT_EQ(c.changes, changes) << "Today fires no change";
    EXPECT_EQ(c.model.Month, 12);
    EXPECT_EQ(c.model.SelectedDate, EncodeDate(2026, 12, 7));
    c.model.PressNone();
    EXPECT_EQ(c.model.SelectedDate, 0);
    EXPECT_EQ(c.model.Year, 1899);
    EXPECT_EQ(c.changes, changes);
    c.model.SetSelectedDate(5);
    EXPECT_EQ(c.changes, changes + 1) << "assigning from code fires a change";
    const CalendarGeometry popup{153, 169};
    EXPECT_EQ(popup.TodayButtonLeft(false), 53);
    EXPECT_EQ(popup.TodayButtonLeft(true), 20);
}

TEST(MonthModel, StartDayHeadersAndColours) {
    EXPECT_EQ(EffectiveStartDay(StartDayOfWeek::dwAutomatic, "0"), 1);
    EXPECT_EQ(EffectiveStartDay(StartDayOfWeek::dwAutomatic, "6"), 2) << "Sunday";
    EXPECT_EQ(EffectiveStartDay(StartDayOfWeek::dwAutomatic, "5"), 2) << "Saturday takes the Sunday layout";
    EXPECT_EQ(EffectiveStartDay(StartDayOfWeek::dwMonday, "6"), 1);
    EXPECT_EQ(EffectiveStartDay(StartDayOfWeek::dwSunday, "0"), 2);

    Calendar c(EncodeDate(2026, 2, 10));
    c.model.DayNames = {"A", "B", "C", "D", "E", "F"};
    EXPECT_FALSE(c.model.DayNameLetter(1)) << "six names are ignored";
    c.model.DayNames.push_back(Gbk("星期六"));
    EXPECT_EQ(*c.model.DayNameLetter(1), "A");
    EXPECT_EQ(*c.model.DayNameLetter(7), Gbk("星")) << "a whole character, not half of one";
    c.model.DayNames[1] = "";
    EXPECT_EQ(*c.model.DayNameLetter(2), " ");

    EXPECT_EQ(WeekdayLetters({"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"}),
              (std::vector<std::string>{"日", "一", "二", "三", "四", "五", "六"}));
    EXPECT_EQ(WeekdayLetters({"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}),
              (std::vector<std::string>{"S", "M", "T", "W", "T", "F", "S"}));

    EXPECT_EQ(BlendColors(0x00FFFFFF, 0x00000000, 255), 0x00FEFEFEu);
    EXPECT_EQ(BlendColors(0x00FF0000, 0x000000FF, 128), 0x007F007Eu);
    EXPECT_EQ(BlendColors(0x00102030, 0x00102030, 249), 0x000F1F2Fu);
}

TEST(MonthModel, KeysMoveTheSelectedDayAndTheMonthFollows) {
    const double today = EncodeDate(2026, 12, 7);
    const DateParts kStays{0, 0, 0}; // the selection stays where it is
    const struct {
        DateParts from;
        CalendarKey key;
        bool ctrl;
        DateParts to;
    } kCases[] = {
        {{2026, 12, 31}, CalendarKey::Right, false, {2027, 1, 1}},
        {{2026, 12, 1}, CalendarKey::Left, false, {2026, 11, 30}},
        {{2026, 12, 3}, CalendarKey::Up, false, {2026, 11, 26}},
        {{2026, 12, 28}, CalendarKey::Down, false, {2027, 1, 4}},
        {{2026, 1, 31}, CalendarKey::PageDown, false, {2026, 2, 28}},
        {{2026, 1, 15}, CalendarKey::PageUp, false, {2025, 12, 15}},
        {{2024, 2, 29}, CalendarKey::PageDown, true, {2025, 2, 28}},
        {{2026, 3, 9}, CalendarKey::PageUp, true, {2025, 3, 9}},
        {{2020, 5, 5}, CalendarKey::Home, false, {2026, 12, 7}},
        // The ends of the years the dates hold: nothing moves.
        {{9999, 12, 31}, CalendarKey::Right, false, kStays},
        {{9999, 12, 20}, CalendarKey::PageDown, false, kStays},
        {{1, 1, 3}, CalendarKey::Up, false, kStays},
        {{1, 6, 3}, CalendarKey::PageUp, true, kStays},
    };
    for (const auto& k : kCases) {
        Calendar c(EncodeDate(k.from.year, k.from.month, k.from.day));
        c.model.KeyPressed(k.key, k.ctrl, today);
        SCOPED_TRACE(std::to_string(k.from.year) + "-" + std::to_string(k.from.month) + "-" +
                     std::to_string(k.from.day) + " key " + std::to_string(static_cast<int>(k.key)));
        const DateParts to = k.to.year == kStays.year ? k.from : k.to;
        EXPECT_EQ(c.model.SelectedDate, EncodeDate(to.year, to.month, to.day));
        EXPECT_EQ(c.model.Year, to.year);
        EXPECT_EQ(c.model.Month, to.month);
    }
    // After None the keys start from the month shown.
    Calendar none(EncodeDate(2026, 4, 10));
    none.model.PressNone();
    none.model.KeyPressed(CalendarKey::Right, false, today);
    EXPECT_EQ(none.model.SelectedDate, EncodeDate(1899, 12, 31));
    Calendar moved(EncodeDate(2026, 4, 10));
    moved.model.KeyPressed(CalendarKey::Down, false, today);
    EXPECT_EQ(moved.changes, 1) << "a new selection is a change";
}

TEST(MonthModel, AHeldArrowRepeatsWhileThePointerStaysOnIt) {
    Calendar c(EncodeDate(2026, 1, 15));
    c.model.MouseDown(153 - 5, 5); // right arrow
    EXPECT_TRUE(c.model.RepeatHeldArrow(153 - 5, 5));
    EXPECT_TRUE(c.model.RepeatHeldArrow(153 - 6, 6));
    EXPECT_EQ(c.model.Month, 4);
    EXPECT_FALSE(c.model.RepeatHeldArrow(60, 5)) << "off the arrow: held, but no step";
    EXPECT_FALSE(c.model.RepeatHeldArrow(5, 5)) << "nor on the other arrow";
    EXPECT_TRUE(c.model.RepeatHeldArrow(153 - 5, 5));
    c.model.MouseUp();
    EXPECT_FALSE(c.model.RepeatHeldArrow(153 - 5, 5)) << "released";
    EXPECT_EQ(c.model.Month, 5);
    c.model.MouseDown(153 - 5, 5);
    c.model.MouseDown(14 + 17 * 3 + 8, 36 + 15 * 3 + 9); // a day, the button still down
    EXPECT_FALSE(c.model.RepeatHeldArrow(153 - 5, 5)) << "a day is no arrow";
}
