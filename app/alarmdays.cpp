#include "app/alarmdays.h"

#include "base/datetime.h"

namespace vemora {

namespace {

// The years the built-in schedule covers (calendar/holidays.cpp).
constexpr int kBuiltInFirstYear = 2008, kBuiltInLastYear = 2026;

} // namespace

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
    if (year >= kBuiltInFirstYear && year <= kBuiltInLastYear)
        return true;
    if (book_.size() != bookSize_) {
        bookYears_.clear();
        bookSize_ = book_.size();
    }
    if (!bookSize_)
        return false;
    const auto known = bookYears_.find(year);
    if (known != bookYears_.end())
        return known->second;
    bool any = false;
    for (int month = 1; month <= 12 && !any; ++month)
        for (int day = 1; day <= DaysInMonth(year, month) && !any; ++day)
            any = book_.Find(year, month, day).has_value();
    bookYears_[year] = any;
    return any;
}

} // namespace vemora
