#pragma once
#include "calendar/holidays.h"
#include "power/alarm.h"

#include <map>

namespace vemora {

// The alarms' working days from the calendar: the built-in schedule, with the
// days of holidays.txt (and any schedule added to the book) over it.
class CalendarWorkingDays : public WorkingDays {
public:
    explicit CalendarWorkingDays(const HolidayBook& book) : book_(book) {}
    DayKind KindOf(int year, int month, int day) const override;
    // A year of the built-in schedule, or one the book holds a day of.
    bool YearKnown(int year) const override;

private:
    const HolidayBook& book_;
    // Whether the book holds a day of the year, asked once per year while the book keeps its size.
    mutable std::map<int, bool> bookYears_;
    mutable size_t bookSize_ = 0;
};

} // namespace vemora
