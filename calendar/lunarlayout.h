#pragma once
#include "calendar/holidays.h"
#include "calendar/monthmodel.h"

#include <string>

// The month calendar with the Chinese calendar under every day. The control
// paints from these rectangles and its model hit-tests with the geometry made
// from the same numbers, so what is drawn is what a press selects.
namespace vemora {

// Every size follows from the height of the calendar's font in pixels (11 for
// Tahoma 8 pt at 96 pixels per inch) and a few margins: a cell holds the day
// number over one short text of up to three characters.
struct LunarLayout {
    explicit LunarLayout(int fontHeight = 11);

    int FontHeight;     // the calendar's font, character height in pixels
    int LineHeight;     // one line of text in a cell, the weekday row and the info line
    int MarkFontHeight; // the small 休 and 班 marks
    int CellWidth, CellHeight;
    int GridLeft, GridTop;
    int W, H; // the client size

    CalRect Cell(int col, int row) const;
    // The day number, first line of the cell.
    CalRect DayNumber(int col, int row) const;
    // The festival, term or lunar day, second line of the cell.
    CalRect LunarText(int col, int row) const;
    // The corner of the first line that carries 休 or 班.
    CalRect Mark(int col, int row) const;
    int LowerSeparatorY() const { return GridTop + 6 * CellHeight; }
    // The line under the grid that describes the selected day.
    CalRect InfoLine() const;
    // The lines under the info line: the countdown to the next festival and
    // the note on a year whose schedule is not published.
    static constexpr int kNoteLines = 2;
    CalRect NoteLine(int index) const;
    // Under the notes, the selected day's almanac: 干支 and 值神; 建除 and
    // 冲煞; 宜; 忌.
    static constexpr int kAlmanacRows = 4;
    CalRect AlmanacRow(int row) const;
    // Everything under the grid that follows the selected day (and the month).
    CalRect SelectedDayArea() const;
    int ButtonTop() const { return AlmanacRow(kAlmanacRows - 1).bottom + 3; }

    // The control's geometry for this grid: header, presses, highlights,
    // repaints and buttons.
    CalendarGeometry Geometry() const;
};

// What the cell text under a day is.
enum class LunarTextKind { LunarDay, MonthStart, SolarTerm, Festival };

// Everything a lunar cell shows besides its number.
struct LunarCellFace {
    std::string text; // UTF-8: LunarCellText, empty beyond the supported range
    LunarTextKind kind = LunarTextKind::LunarDay;
    DayArrangement arrangement = DayArrangement::Ordinary;
    // A day off: a day of a holiday break, or a Saturday or Sunday not made a
    // working day.
    bool restDay = false;
};

LunarCellFace LunarCellFaceOf(const HolidayBook& book, int year, int month, int day);

} // namespace vemora
