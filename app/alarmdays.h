#pragma once
#include "calendar/holidays.h"
#include "power/alarm.h"

namespace vemora {

// The alarms' working days from the calendar: the built-in schedule, with the
// days of holidays.txt (and any schedule added to the book) over it.
class CalendarWorkingDays : public WorkingDays {
public:
    explicit CalendarWorkingDays(const HolidayBook& book) : book_(book) {}
    DayKind KindOf(int year, int month, int day) const override;
    // A year of the built-in schedule, a fetched year with days, or one
    // holidays.txt sets a day of.
    bool YearKnown(int year) const override;

private:
    const HolidayBook& book_;
};

} // namespace vemora
