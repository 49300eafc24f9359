#include "power/schedule.h"

#include "base/datetime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vemora {

double DueAtTimeOfDay(double now, int hour, int minute) {
    const double due = std::floor(now) + (hour * 60 + minute) / 1440.0;
    return due > now ? due : due + 1;
}

double DueAfterMinutes(double now, long long minutes) {
    return now + static_cast<double>(minutes) / 1440.0;
}

void ProposedTimeOfDay(double now, int& hour, int& minute) {
    const DateTimeParts t = DecodeDateTime(now + 20.0 / 1440.0);
    hour = t.hour;
    minute = t.minute;
}

ActionVerdict JudgeAction(bool armed, double now, double due) {
    if (!armed || !(now > due))
        return ActionVerdict::Wait;
    // Whole milliseconds, as the clock reads the time.
    return std::llround((now - due) * kMsPerDay) > std::llround(kLateLimitSeconds * 1000) ? ActionVerdict::Skip
                                                                                          : ActionVerdict::Carry;
}

LateCause WhyLate(const TickGap& gap, double due) {
    const double lateSeconds = (gap.now - due) * kMsPerDay / 1000;
    const double movedSeconds = (gap.now - gap.previousTick) * kMsPerDay / 1000 - gap.realMs / 1000.0;
    if (lateSeconds - movedSeconds <= kLateLimitSeconds)
        return LateCause::ClockChanged;
    const long long lateLimitMs = std::llround(kLateLimitSeconds * 1000);
    if (gap.resumed || (gap.awakeMs >= 0 && gap.realMs - gap.awakeMs > lateLimitMs))
        return LateCause::Slept;
    return LateCause::HeldUp;
}

std::optional<int> NoticeSecondsLeft(bool armed, ScheduledActionKind kind, double now, double due) {
    if (!armed || kind == ScheduledActionKind::Alarm)
        return std::nullopt;
    // Whole milliseconds first: day counts carry a little error.
    const long long leftMs = std::llround((due - now) * kMsPerDay);
    if (leftMs < 0 || leftMs > kActionNoticeSeconds * 1000LL)
        return std::nullopt;
    return static_cast<int>((leftMs + 999) / 1000);
}

std::string ActionNoticeText(ScheduledActionKind kind, int secondsLeft) {
    const char* what = kind == ScheduledActionKind::Restart ? "重启" : "关机";
    return std::to_string(secondsLeft) + " 秒后" + what + "，其他程序中未保存的内容将会丢失。";
}

std::string DueActionText(ScheduledActionKind kind, double due, double now) {
    static const char* const kKinds[] = {"关机", "播放声音", "重启"};
    const int index = static_cast<int>(kind);
    const char* what = index >= 0 && index < 3 ? kKinds[index] : "动作";
    const DateTimeParts t = DecodeDateTime(due), today = DecodeDateTime(now);
    char when[64];
    if (t.year == today.year && t.month == today.month && t.day == today.day)
        std::snprintf(when, sizeof when, "%02d:%02d", t.hour, t.minute);
    else
        std::snprintf(when, sizeof when, "%d月%d日 %02d:%02d", t.month, t.day, t.hour, t.minute);
    return std::string("将于 ") + when + " " + what;
}

std::string SkippedActionText(int kind, double due, LateCause cause) {
    static const char* const kKinds[] = {"关机", "播放声音", "重启"};
    const char* what = kind >= 0 && kind < 3 ? kKinds[kind] : "动作";
    const DateTimeParts t = DecodeDateTime(due);
    char when[64];
    std::snprintf(when, sizeof when, "%d年%d月%d日 %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    const char* why = "，那时电脑处于睡眠或休眠状态。";
    if (cause == LateCause::ClockChanged)
        why = "，但系统时间被向前调整，越过了这一时刻（手动更改、夏令时切换或网络校时）。";
    else if (cause == LateCause::HeldUp)
        why = "，那时本程序未能运行（程序被挂起，或电脑处于睡眠状态）。";
    return std::string("已跳过定时") + what + "：它原定于 " + when + " 执行" + why + "这次定时已经取消。";
}

} // namespace vemora
