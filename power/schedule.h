#pragma once
#include <string>

namespace vemora {

// What the timed action does.
enum class ScheduledActionKind : int { Shutdown = 0, Alarm = 1, Restart = 2 };

struct ScheduledActionState {
    double due = 0; // date-time at which the armed action falls due
    ScheduledActionKind kind = ScheduledActionKind::Shutdown;
    bool operator==(const ScheduledActionState&) const = default;
};

// When an action armed now falls due. At a time of day: today at hour:minute,
// or tomorrow when that moment is not later than now. After a delay: now plus
// the minutes. Date-times are day counts (see base/datetime.h).
double DueAtTimeOfDay(double now, int hour, int minute);
double DueAfterMinutes(double now, long long minutes);

// The dialog's proposal: the hour and minute of now + 20 minutes, past midnight wrapped.
void ProposedTimeOfDay(double now, int& hour, int& minute);

// An armed action falls due at the first tick strictly after its due time.
// One that the clock sees more than this late (the computer slept through
// it, or the clock's thread stood still) is skipped: a shutdown an hour
// after its time, the moment the computer wakes, is not what was asked for.
inline constexpr double kLateLimitSeconds = 60;
enum class ActionVerdict { Wait, Carry, Skip };
ActionVerdict JudgeAction(bool armed, double now, double due);

// What the user is told about a skipped action (UTF-8): what it was and when it was due.
std::string SkippedActionText(int kind, double due);

} // namespace vemora
