#include "power/schedule.h"

#include "base/datetime.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace vemora {

double DueAtTimeOfDay(double now, int hour, int minute) {
    const double due = std::floor(now) + (hour * 60 + minute) / 1440.0;
    return due > now ? due : due + 1;
}

double DueAfterMinutes(double now, long long minutes) { return now + static_cast<double>(minutes) / 1440.0; }

void ProposedTimeOfDay(double now, int& hour, int& minute) {
    const DateTimeParts t = DecodeDateTime(now + 20.0 / 1440.0);
    hour = t.hour;
    minute = t.minute;
}

} // namespace vemora
