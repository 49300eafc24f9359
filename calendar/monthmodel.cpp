#include "calendar/monthmodel.h"

#include "base/datetime.h"
#include "base/gbk.h"
#include "base/utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vemora {

int EffectiveStartDay(StartDayOfWeek startDay, const std::string& localeFirstDay) {
    switch (startDay) {
    case StartDayOfWeek::dwMonday:
        return 1;
    case StartDayOfWeek::dwSunday:
        return 2;
    default: {
        char* end = nullptr;
        const long value = std::strtol(localeFirstDay.c_str(), &end, 10);
        return end != localeFirstDay.c_str() && value == 0 ? 1 : 2;
    }
    }
}

int DayColumn(double date, int startDay) {
    return startDay == 1 ? DayOfWeekIso(date) : DayOfWeekSundayFirst(date);
}

void StepMonth(int& year, int& month, bool forward) {
    if (forward) {
        if (month < 12)
            ++month;
        else
            ++year, month = 1;
    } else {
        if (month > 1)
            --month;
        else
            --year, month = 12;
    }
}

std::uint32_t BlendColors(std::uint32_t a, std::uint32_t b, int weight) {
    std::uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * static_cast<std::uint32_t>(weight) + cb * static_cast<std::uint32_t>(255 - weight)) / 256)
               << shift;
    }
    return out;
}

std::vector<std::string> WeekdayLetters(const std::vector<std::string>& names) {
    // The shared prefix, in whole characters.
    size_t prefix = 0;
    if (!names.empty()) {
        for (;;) {
            const std::string& first = names[0];
            if (prefix >= first.size())
                break;
            const size_t n = Utf8CharLength(first, prefix);
            bool shared = true;
            for (const std::string& name : names)
                shared = shared && name.size() > prefix + n && name.compare(prefix, n, first, prefix, n) == 0;
            if (!shared)
                break;
            prefix += n;
        }
    }
    std::vector<std::string> letters;
    for (const std::string& name : names)
        letters.push_back(prefix < name.size() ? name.substr(prefix, Utf8CharLength(name, prefix)) : " ");
    return letters;
}

std::string FirstGbkCharacter(const std::string& text) {
    if (text.empty())
        return " ";
    return text.substr(0, GbkCharLength(text, 0));
}

MonthCalendarModel::MonthCalendarModel(double today) {
    SetDate(today);
}

std::optional<double> MonthCalendarModel::DateAtCell(int col, int row) const {
    const std::vector<CalendarCell> cells = Cells();
    const int i = 7 * row + col;
    if (i < 0 || i >= 42)
        return std::nullopt;
    return cells[static_cast<size_t>(i)].date;
}

std::vector<CalendarCell> MonthCalendarModel::Cells() const {
    std::vector<CalendarCell> cells(42);
    if (!IsValidDate(Year, Month, 1))
        return cells;
    const int startDay = StartDayNumber();
    const double first = EncodeDate(Year, Month, 1);
    const int F = DayColumn(first, startDay);
    const int D = DaysInMonth(Year, Month);
    int prevYear = Year, prevMonth = Month, nextYear = Year, nextMonth = Month;
    StepMonth(prevYear, prevMonth, false);
    StepMonth(nextYear, nextMonth, true);
    const int P = DaysInMonth(prevYear, prevMonth);
    auto encode = [](int y, int m, int d) -> std::optional<double> {
        if (!IsValidDate(y, m, d))
            return std::nullopt;
        return EncodeDate(y, m, d);
    };
    for (int i = 0; i < 42; ++i) {
        CalendarCell& c = cells[static_cast<size_t>(i)];
        if (i < F - 1) {
            c.day = P - F + 2 + i;
            c.date = encode(prevYear, prevMonth, c.day);
        } else if (F + D >= i + 2) {
            c.day = i - F + 2;
            c.inMonth = true;
            c.date = encode(Year, Month, c.day);
        } else {
            c.day = i - F - D + 2;
            c.date = encode(nextYear, nextMonth, c.day);
        }
    }
    return cells;
}

std::optional<std::string> MonthCalendarModel::DayNameLetter(int column) const {
    if (DayNames.size() < 7 || column < 1 || column > 7)
        return std::nullopt;
    return FirstGbkCharacter(DayNames[static_cast<size_t>(column - 1)]);
}

void MonthCalendarModel::InvalidateCalendar() {
    if (Invalidate) {
        Invalidate(Geometry.CaptionRepaintArea());
        Invalidate(Geometry.GridRepaintArea());
    }
}

void MonthCalendarModel::SetMonth(int month) {
    if (month != Month) {
        Month = month;
        InvalidateCalendar();
    }
}

void MonthCalendarModel::SetYear(int year) {
    if (year != Year) {
        Year = year;
        InvalidateCalendar();
    }
}

void MonthCalendarModel::SetSelectedDate(double date) {
    if (date != SelectedDate) {
        SelectedDate = date;
        if (OnChange)
            OnChange();
    }
}

void MonthCalendarModel::SetDate(double date) {
    SelectedDate = date;
    const DateParts p = DecodeDate(date);
    Year = p.year;
    Month = p.month;
    Day = p.day;
    InvalidateCalendar();
}

// One month back or forward through the setters; the arrows stop at the ends
// of the years the dates can hold (1 to 9999).
bool MonthCalendarModel::Step(bool forward) {
    int year = Year, month = Month;
    StepMonth(year, month, forward);
    if (year < kMinYear || year > kMaxYear)
        return false;
    if (year != Year)
        SetYear(year);
    SetMonth(month);
    return true;
}

void MonthCalendarModel::MouseDown(int x, int y) {
    HeldArrow.reset();
    if (Geometry.LeftArrowArea().Contains(x, y)) {
        HeldArrow = false;
        Step(false);
    }
    if (Geometry.RightArrowArea().Contains(x, y)) {
        HeldArrow = true;
        Step(true);
    }
    if (Geometry.GridPressArea().Contains(x, y)) {
        Selecting = true;
        SelectCellAt(x, y);
    }
}

void MonthCalendarModel::MouseMove(int x, int y) {
    if (Selecting && Geometry.GridPressArea().Contains(x, y))
        SelectCellAt(x, y);
}

void MonthCalendarModel::MouseUp() {
    Selecting = false;
    HeldArrow.reset();
}

bool MonthCalendarModel::RepeatHeldArrow(int x, int y) {
    if (!HeldArrow)
        return false;
    const CalRect area = *HeldArrow ? Geometry.RightArrowArea() : Geometry.LeftArrowArea();
    return area.Contains(x, y) && Step(*HeldArrow);
}

void MonthCalendarModel::KeyPressed(CalendarKey key, bool ctrl, double today) {
    if (key == CalendarKey::Home) {
        PressToday(today); // as the Today button does
        return;
    }
    // From the selected day; with none (None pressed) from the day shown.
    const DateParts from = SelectedDate != 0 ? DecodeDate(SelectedDate) : DateParts{Year, Month, Day};
    const int days = key == CalendarKey::Left    ? -1
                     : key == CalendarKey::Right ? 1
                     : key == CalendarKey::Up    ? -7
                     : key == CalendarKey::Down  ? 7
                                                 : 0;
    if (days != 0) {
        const double to = EncodeDate(from.year, from.month, from.day) + days;
        if (to < EncodeDate(kMinYear, 1, 1) || to > EncodeDate(kMaxYear, 12, 31))
            return;
        const DateParts p = DecodeDate(to);
        MoveSelectionTo(p.year, p.month, p.day);
        return;
    }
    const bool forward = key == CalendarKey::PageDown;
    int year = from.year, month = from.month;
    if (ctrl)
        year += forward ? 1 : -1;
    else
        StepMonth(year, month, forward);
    if (year < kMinYear || year > kMaxYear)
        return;
    MoveSelectionTo(year, month, std::min(from.day, DaysInMonth(year, month)));
}

void MonthCalendarModel::MoveSelectionTo(int year, int month, int day) {
    Day = day;
    if (year != Year)
        SetYear(year);
    SetMonth(month);
    SetSelectedDate(EncodeDate(year, month, day));
    InvalidateCalendar();
}

void MonthCalendarModel::SelectCellAt(int x, int y) {
    // Floor division: the press area starts at or after the press origin, so
    // both are >= 0 here.
    const int col = Geometry.PressColumn(x);
    const int row = Geometry.PressRow(y);
    // Presses that map past the 42 drawn cells select nothing.
    if (col < 0 || col > 6 || row < 0 || row > 5)
        return;
    const std::optional<double> d = DateAtCell(col, row);
    if (!d || *d == SelectedDate)
        return;
    SetSelectedDate(*d);
    if (Invalidate) {
        Invalidate(SelectedCellRect);
        Invalidate(Geometry.CellHighlight(col, row));
        if (Geometry.InfoArea != CalRect{})
            Invalidate(Geometry.InfoArea);
    }
}

} // namespace vemora
