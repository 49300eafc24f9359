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

// The fixed pixel layout of the control for a client size W x H.
struct CalendarGeometry {
    int W = 151, H = 163;
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
        return {15 + 17 * (column1to7 - 1), 22, 30 + 17 * (column1to7 - 1), 36};
    }
    CalRect CellText(int col, int row) const { return {15 + 17 * col, 38 + 15 * row, 30 + 17 * col, 53 + 15 * row}; }
    CalRect CellHighlight(int col, int row) const {
        return {15 + 17 * col, 38 + 15 * row, 32 + 17 * col, 53 + 15 * row};
    }
    CalRect GridPressArea() const { return {14, 38, W - 14, H - 20}; }
    CalRect CaptionRepaintArea() const { return {20, 5, W - 20, 21}; }
    CalRect GridRepaintArea() const { return {15, 37, W - 15, 128}; }
    static constexpr int kButtonTop = 133, kButtonWidth = 47, kButtonHeight = 20, kNoneLeft = 82;
    int TodayButtonLeft(bool noneShown) const { return noneShown ? 20 : W / 2 - kButtonWidth / 2; }
    CalRect TodayButtonBounds(bool noneShown) const {
        const int left = TodayButtonLeft(noneShown);
        return {left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight};
    }
    CalRect NoneButtonBounds() const {
        return {kNoneLeft, kButtonTop, kNoneLeft + kButtonWidth, kButtonTop + kButtonHeight};
    }
};

struct CalendarCell {
    int day = 0;                 // the number drawn
    bool inMonth = false;        // the displayed month (else grey)
    std::optional<double> date;  // none when the date cannot be encoded (beyond year 1..9999)
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

private:
    void InvalidateCalendar();
    bool Step(bool forward);
};

} // namespace vemora
