#pragma once
#include <optional>
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

// Why an action was seen late: the computer slept through its time, the
// system clock was moved forward past it (by hand, a daylight-saving jump,
// network time), or the clock's thread stood still while it passed.
enum class LateCause { Slept, ClockChanged, HeldUp };

// What the clock window saw between its previous tick and the late one.
struct TickGap {
    double previousTick = 0; // local date-time of the previous tick
    double now = 0;          // local date-time of this tick
    // Real time between the two ticks by a count that runs on through sleep
    // and that setting the clock never moves (GetTickCount64).
    long long realMs = 0;
    // Of that, the time the computer was awake (QueryUnbiasedInterruptTime);
    // -1 when not known.
    long long awakeMs = -1;
    bool resumed = false; // a resume notice came between the two ticks
};

// A clock moved forward is to blame when the action would have been on time
// without the move (the local time advanced by more than the real time did);
// else a sleep, seen by its notice or by the real time the computer was not
// awake; else the program stood still.
LateCause WhyLate(const TickGap& gap, double due);

// When the armed action will happen, as the dialog, the clock's tooltip and
// the tray tip say it (UTF-8): 将于 14:05 关机, with the date when it is not
// today: 将于 12月8日 07:30 播放声音.
std::string DueActionText(ScheduledActionKind kind, double due, double now);

// What the user is told about a skipped action (UTF-8): what it was, when it
// was due and why it was missed.
std::string SkippedActionText(int kind, double due, LateCause cause = LateCause::Slept);

// A timed shutdown or restart closes other programs without asking: this
// long before it, a notice says so and offers to cancel or to go at once.
inline constexpr int kActionNoticeSeconds = 30;

// The whole seconds the notice shows as left, rounded up; nothing when no
// notice is wanted (nothing armed, an alarm, due later than the notice's
// time, or due already).
std::optional<int> NoticeSecondsLeft(bool armed, ScheduledActionKind kind, double now, double due);

// The notice's line (UTF-8): "29 秒后关机".
std::string ActionNoticeText(ScheduledActionKind kind, int secondsLeft);

} // namespace vemora
