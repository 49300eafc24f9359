#include "app/alarmdays.h"

namespace vemora {

DayKind CalendarWorkingDays::KindOf(int year, int month, int day) const {
    switch (ArrangementOf(book_, year, month, day)) {
    case DayArrangement::Holiday:
        return DayKind::Off;
    case DayArrangement::Workday:
        return DayKind::Work;
    default:
        return DayKind::Ordinary;
    }
}

bool CalendarWorkingDays::YearKnown(int year) const {
    return book_.YearKnown(year);
}

} // namespace vemora
