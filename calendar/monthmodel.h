#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vemora {

// A rectangle in client pixels, right and bottom excluded.
struct CalRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const CalRect&) const = default;
};

struct CalPoint {
    int x = 0, y = 0;
    bool operator==(const CalPoint&) const = default;
};

enum class StartDayOfWeek { dwAutomatic, dwMonday, dwSunday };

// 1 = weeks start on Monday, 2 = on Sunday. The locale's LOCALE_IFIRSTDAYOFWEEK
// answer, read as an integer: 0 (Monday) gives 1, anything else 2.
int EffectiveStartDay(StartDayOfWeek startDay, const std::string& localeFirstDay);
// Grid column 1..7 of a date for that start day.
int DayColumn(double date, int startDay);
void StepMonth(int& year, int& month, bool forward);
// Each of red, green and blue: (a * w + b * (255 - w)) div 256. Colours are 0x00BBGGRR.
std::uint32_t BlendColors(std::uint32_t a, std::uint32_t b, int weight);
// One character per weekday from the locale's long names (UTF-8, Sunday first):
// the first character after what all seven share ("星期一" gives "一", "Monday" "M").
std::vector<std::string> WeekdayLetters(const std::vector<std::string>& longNamesSundayFirst);
// The first character of a GBK string, a double-byte character whole; a blank when empty.
std::string FirstGbkCharacter(const std::string& text);

// The pixel layout of the control for a client size W x H. The defaults are
// the Gregorian layout's fixed numbers; the lunar layout (calendar/lunarlayout.h)
// sets its own grid, presses and buttons.
struct CalendarGeometry {
    int W = 151, H = 163;
    // The day grid: cell (0, 0) at (GridLeft, GridTop), one cell every PitchX
    // by PitchY pixels; the day number's box is TextWidth wide.
    int GridLeft = 15, GridTop = 38, PitchX = 17, PitchY = 15, TextWidth = 15;
    // Presses count cells from (PressLeft, PressTop): in the Gregorian layout one
    // pixel left of and two above the drawn grid. The press area reaches from
    // there to the insets from the right and bottom edges.
    int PressLeft = 14, PressTop = 36, PressRightInset = 14, PressBottomInset = 20;
    int WeekdayBottom = 36, GridRepaintBottom = 128;
    // Repainted with a new selection: the line that describes the selected day.
    CalRect InfoArea{};
    int ButtonTop = 133;

    CalRect HeaderBand() const { return {5, 5, W - 5, 21}; }
    CalRect LeftArrowArea() const { return {0, 0, 18, 18}; }
    CalRect RightArrowArea() const { return {W - 18, 0, W, 18}; }
    // Filled triangles 5 pixels wide and 9 high about the header band's middle line 13.
    std::array<CalPoint, 3> LeftArrow() const { return {{{15, 9}, {15, 17}, {11, 13}}}; }
    std::array<CalPoint, 3> RightArrow() const { return {{{W - 15, 9}, {W - 15, 17}, {W - 11, 13}}}; }
    // Lines over and under the days, drawn from the first point up to the second.
    std::array<CalPoint, 2> UpperSeparator() const { return {{{15, 36}, {W - 17, 36}}}; }
    std::array<CalPoint, 2> LowerSeparator() const { return {{{15, 128}, {W - 17, 128}}}; }
    CalRect WeekdayHeader(int column1to7) const {
        const int left = GridLeft + PitchX * (column1to7 - 1);
        return {left, 22, left + TextWidth, WeekdayBottom};
    }
    CalRect CellText(int col, int row) const {
        const int left = GridLeft + PitchX * col, top = GridTop + PitchY * row;
        return {left, top, left + TextWidth, top + PitchY};
    }
    CalRect CellHighlight(int col, int row) const {
        const int left = GridLeft + PitchX * col, top = GridTop + PitchY * row;
        return {left, top, left + PitchX, top + PitchY};
    }
    CalRect GridPressArea() const { return {PressLeft, GridTop, W - PressRightInset, H - PressBottomInset}; }
    // The column and row a press in the grid press area counts for; they may lie
    // beyond the 7 x 6 cells drawn.
    int PressColumn(int x) const { return (x - PressLeft) / PitchX; }
    int PressRow(int y) const { return (y - PressTop) / PitchY; }
    CalRect CaptionRepaintArea() const { return {20, 5, W - 20, 21}; }
    CalRect GridRepaintArea() const { return {GridLeft, GridTop - 1, W - GridLeft, GridRepaintBottom}; }
    static constexpr int kButtonWidth = 47, kButtonHeight = 20, kNoneLeft = 82;
    int TodayButtonLeft(bool noneShown) const { return noneShown ? 20 : W / 2 - kButtonWidth / 2; }
    CalRect TodayButtonBounds(bool noneShown) const {
        const int left = TodayButtonLeft(noneShown);
        return {left, ButtonTop, left + kButtonWidth, ButtonTop + kButtonHeight};
    }
    CalRect NoneButtonBounds() const {
        return {kNoneLeft, ButtonTop, kNoneLeft + kButtonWidth, ButtonTop + kButtonHeight};
    }
};

// The keys the month calendar answers.
enum class CalendarKey { Left, Right, Up, Down, PageUp, PageDown, Home };

struct CalendarCell {
    int day = 0;                // the number drawn
    bool inMonth = false;       // the displayed month (else grey)
    std::optional<double> date; // none when the date cannot be encoded (beyond year 1..9999)
};

// The month calendar's state and mouse behaviour, without a window: the
// control routes its messages here and paints from it.
class MonthCalendarModel {
public:
    explicit MonthCalendarModel(double today);

    int Day = 1, Month = 1, Year = 1;
    double SelectedDate = 0;
    StartDayOfWeek StartDay = StartDayOfWeek::dwAutomatic;
    std::string LocaleFirstDay = "0";
    std::vector<std::string> DayNames, MonthNames; // GBK, set by the owner
    bool Selecting = false;
    CalRect SelectedCellRect{};
    CalendarGeometry Geometry;

    std::function<void()> OnChange;
    std::function<void(const CalRect&)> Invalidate;

    int StartDayNumber() const { return EffectiveStartDay(StartDay, LocaleFirstDay); }
    // The 42 cells, row by row.
    std::vector<CalendarCell> Cells() const;
    std::optional<double> DateAtCell(int col, int row) const;
    // The header of column j (1..7) from DayNames when it holds at least seven
    // names (its first character, GBK); none means: ask the locale.
    std::optional<std::string> DayNameLetter(int column) const;

    void SetMonth(int month);
    void SetYear(int year);
    void SetSelectedDate(double date);
    void SetDate(double date);

    // Any mouse button, in client pixels.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();
    void SelectCellAt(int x, int y);
    void PressToday(double today) { SetDate(today); }
    void PressNone() { SetDate(0); }

    // A key: the arrows move the selected day by a day or a week, PageUp and
    // PageDown by a month, with ctrl by a year (the day kept, or the month's
    // last when it has fewer), Home does what the Today button does. The month shown follows
    // the selected day; a move past the years the dates can hold does nothing.
    void KeyPressed(CalendarKey key, bool ctrl, double today);
    // The arrow a press is holding: true the forward one. A press on an arrow
    // steps once; while the button stays down, RepeatHeldArrow steps again
    // each time it is asked with the pointer on that arrow; the release ends it.
    std::optional<bool> HeldArrow;
    bool RepeatHeldArrow(int x, int y);

private:
    void InvalidateCalendar();
    bool Step(bool forward);
    void MoveSelectionTo(int year, int month, int day);
};

} // namespace vemora
