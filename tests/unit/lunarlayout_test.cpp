#include "base/datetime.h"
#include "calendar/lunarlayout.h"

#include <gtest/gtest.h>

using namespace vemora;

namespace {

bool Inside(const CalRect& inner, const CalRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

TEST(LunarLayout, EverythingFitsAtEveryFontHeight) {
    for (int font : {11, 14, 22}) {
        const LunarLayout l(font);
        const CalendarGeometry g = l.Geometry();
        EXPECT_GE(l.CellWidth, 3 * font + 2) << font << ": three characters";
        for (auto [col, row] : {std::pair{0, 0}, {6, 5}}) {
            EXPECT_TRUE(Inside(l.LunarText(col, row), l.Cell(col, row))) << font;
            EXPECT_TRUE(Inside(l.Mark(col, row), l.DayNumber(col, row))) << font;
            EXPECT_EQ(g.CellHighlight(col, row), l.Cell(col, row)) << font;
        }
        EXPECT_GT(l.GridTop, g.HeaderBand().bottom) << font;
        EXPECT_GT(l.InfoLine().top, l.LowerSeparatorY()) << font;
        EXPECT_GT(l.AlmanacRow(0).top, l.InfoLine().bottom) << font;
        EXPECT_GT(l.ButtonTop(), l.AlmanacRow(LunarLayout::kAlmanacRows - 1).bottom) << font;
        EXPECT_LE(l.ButtonTop() + CalendarGeometry::kButtonHeight, l.H) << font;
        EXPECT_LE(l.Cell(6, 5).right, l.W - l.GridLeft) << font;
        EXPECT_EQ(g.GridRepaintArea().bottom, l.SelectedDayArea().bottom)
            << font << ": a new month repaints the info line and the almanac";
    }
    EXPECT_EQ(LunarLayout().W, 275);
    EXPECT_EQ(LunarLayout().H, 356);
}

TEST(LunarLayout, PressesSelectTheCellDrawnThere) {
    const LunarLayout l;
    MonthCalendarModel model(EncodeDate(2026, 12, 7));
    model.StartDay = StartDayOfWeek::dwMonday;
    model.Geometry = l.Geometry();
    std::vector<CalRect> repaints;
    model.Invalidate = [&](const CalRect& r) { repaints.push_back(r); };
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 7; ++col) {
            const CalRect c = l.Cell(col, row);
            for (auto [x, y] :
                 {std::pair{c.left, c.top}, {c.right - 1, c.bottom - 1}, {(c.left + c.right) / 2, c.top + 3}}) {
                model.MouseDown(x, y);
                model.MouseUp();
                EXPECT_EQ(model.SelectedDate, *model.DateAtCell(col, row))
                    << col << "," << row << " at " << x << "," << y;
            }
        }
    // Selecting repaints the old and the new cell, the info line and the almanac.
    model.SetSelectedDate(EncodeDate(2026, 12, 1));
    repaints.clear();
    model.MouseDown(l.Cell(4, 2).left + 5, l.Cell(4, 2).top + 5);
    model.MouseUp();
    EXPECT_EQ(repaints, (std::vector<CalRect>{model.SelectedCellRect, l.Cell(4, 2), l.SelectedDayArea()}));
    // Beside and under the grid nothing is selected.
    const double kept = model.SelectedDate;
    for (auto [x, y] : {std::pair{l.GridLeft - 1, l.GridTop + 5},
                        {l.W - l.GridLeft, l.GridTop + 5},
                        {l.GridLeft + 5, l.LowerSeparatorY()},
                        {l.W / 2, l.InfoLine().top + 2},
                        {l.W / 2, l.AlmanacRow(2).top + 2}}) {
        model.MouseDown(x, y);
        model.MouseUp();
        EXPECT_EQ(model.SelectedDate, kept) << x << "," << y;
    }
}

TEST(LunarLayout, CellFacesByPriority) {
    HolidayBook book;
    book.Set(2027, 1, 1, DayArrangement::Holiday);
    book.Set(2027, 1, 9, DayArrangement::Workday); // a Saturday
    struct Case {
        int y, m, d;
        const char* text;
        LunarTextKind kind;
        DayArrangement arrangement;
        bool rest;
    };
    using K = LunarTextKind;
    using A = DayArrangement;
    const Case cases[] = {
        {2026, 2, 17, "春节", K::Festival, A::Holiday, true},
        {2026, 2, 14, "廿七", K::LunarDay, A::Workday, false}, // a Saturday made a working day
        {2020, 10, 1, "中秋", K::Festival, A::Holiday, true},  // 中秋 before 国庆
        {2026, 4, 5, "清明", K::SolarTerm, A::Holiday, true},
        {2026, 12, 7, "大雪", K::SolarTerm, A::Ordinary, false},
        {2025, 7, 25, "闰六月", K::MonthStart, A::Ordinary, false},
        {2026, 12, 6, "廿八", K::LunarDay, A::Ordinary, true}, // a Sunday
        {2027, 1, 1, "元旦", K::Festival, A::Holiday, true},   // from the book
        {2027, 1, 8, "腊月", K::MonthStart, A::Ordinary, false},
        {2027, 1, 9, "初二", K::LunarDay, A::Workday, false},
        {2101, 1, 1, "", K::LunarDay, A::Ordinary, true}, // a Saturday
    };
    for (const Case& c : cases) {
        const LunarCellFace f = LunarCellFaceOf(book, c.y, c.m, c.d);
        const std::string day = std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d);
        EXPECT_EQ(f.text, c.text) << day;
        EXPECT_EQ(f.kind, c.kind) << day;
        EXPECT_EQ(f.arrangement, c.arrangement) << day;
        EXPECT_EQ(f.restDay, c.rest) << day;
    }
}
