#pragma once

namespace vemora {

// When an action armed now falls due. At a time of day: today at hour:minute,
// or tomorrow when that moment is not later than now. After a delay: now plus
// the minutes. Date-times are day counts (see base/datetime.h).
double DueAtTimeOfDay(double now, int hour, int minute);
double DueAfterMinutes(double now, long long minutes);

// The dialog's proposal: the hour and minute of now + 20 minutes, past midnight wrapped.
void ProposedTimeOfDay(double now, int& hour, int& minute);

} // namespace vemora
