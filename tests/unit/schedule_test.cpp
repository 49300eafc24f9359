#include "app/clocktick.h"
#include "base/datetime.h"
#include "base/controls.h"
#include "power/schedule.h"

#include <gtest/gtest.h>

using namespace vemora;

namespace {
double At(int day, int h, int m, int s = 0) {
    return EncodeDate(2026, 12, day) + EncodeTime(h, m, s, 0);
}
} // namespace

TEST(DueTime, TimeOfDayIsTheNextOccurrence) {
    EXPECT_DOUBLE_EQ(DueAtTimeOfDay(At(7, 10, 0), 8, 0), At(8, 8, 0));
    EXPECT_DOUBLE_EQ(DueAtTimeOfDay(At(7, 8, 0), 8, 0), At(8, 8, 0)) << "the same moment is not later than now";
    EXPECT_DOUBLE_EQ(DueAtTimeOfDay(At(7, 7, 59, 59), 8, 0), At(7, 8, 0));
    int hour = -1, minute = -1;
    ProposedTimeOfDay(At(7, 23, 50), hour, minute);
    EXPECT_EQ(hour, 0);
    EXPECT_EQ(minute, 10);
    EXPECT_DOUBLE_EQ(DueAtTimeOfDay(At(7, 23, 50), hour, minute), At(8, 0, 10));
    ProposedTimeOfDay(At(7, 9, 5, 59), hour, minute);
    EXPECT_EQ(hour, 9);
    EXPECT_EQ(minute, 25);
}

TEST(DueTime, DelayInMinutes) {
    EXPECT_NEAR(DueAfterMinutes(At(7, 23, 50), 20), At(8, 0, 10), 1e-9);
    EXPECT_DOUBLE_EQ(DueAfterMinutes(At(7, 12, 0), 1440), At(8, 12, 0));
    const double far = DueAfterMinutes(At(7, 12, 0), 99999999);
    EXPECT_NEAR(far - At(7, 12, 0), 99999999 / 1440.0, 1e-6);
    // Armed at 12:00:30 for one minute: not due at 12:01:30, due at the first tick after.
    const double due = DueAfterMinutes(At(7, 12, 0, 30), 1);
    EXPECT_EQ(JudgeAction(true, At(7, 12, 1, 29), due), ActionVerdict::Wait);
    EXPECT_EQ(JudgeAction(true, At(7, 12, 1, 30) + 1.0 / 86400000, due), ActionVerdict::Carry);
    EXPECT_EQ(JudgeAction(true, At(7, 12, 1, 31), due), ActionVerdict::Carry);
}

TEST(DueTime, SpinEditText) {
    struct Case {
        const char* text;
        long long min, max, value;
    };
    const Case cases[] = {
        {"12", 0, 23, 12},         {"", 0, 23, 0},
        {"abc", 1, 99999999, 1},   {"24", 0, 23, 23},
        {"-5", 0, 59, 0},          {"+7", 0, 59, 7},
        {"1.5", 1, 100, 1},        {"99999999999999999999", 1, 99999999, 99999999},
        {" 20 ", 1, 99999999, 20}, {"0", 1, 99999999, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpinValue(c.text, c.min, c.max), c.value) << '"' << c.text << '"';
}

TEST(DueTime, AnActionSeenMoreThanAMinuteLateIsSkipped) {
    const double due = At(7, 8, 0);
    const double second = 1.0 / 86400;
    struct Case {
        double now;
        bool armed;
        ActionVerdict verdict;
    };
    const Case cases[] = {
        {due, true, ActionVerdict::Wait},
        {due + 0.001 * second, true, ActionVerdict::Carry},
        {due + 60 * second, true, ActionVerdict::Carry},
        {due + 61 * second, true, ActionVerdict::Skip},
        {At(8, 7, 0), true, ActionVerdict::Skip}, // slept through the night
        {At(8, 7, 0), false, ActionVerdict::Wait},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeAction(c.armed, c.now, due), c.verdict) << (c.now - due) * 86400;
    const std::string text = SkippedActionText(0, DueAfterMinutes(At(7, 12, 0, 30), 1));
    EXPECT_NE(text.find("定时关机"), std::string::npos) << text;
    EXPECT_NE(text.find("2026年12月7日 12:01:30"), std::string::npos) << text;
    EXPECT_NE(SkippedActionText(2, due).find("定时重启"), std::string::npos);
}

TEST(DueTime, ALateActionSaysWhetherTheComputerSleptOrTheClockWasMoved) {
    const double due = At(7, 8, 0);
    const long long second = 1000, minute = 60 * second, hour = 60 * minute;
    struct Case {
        const char* name;
        TickGap gap;
        LateCause cause;
    };
    const Case cases[] = {
        {"slept two hours", {At(7, 7, 59, 59), At(7, 10, 0, 0), 2 * hour + second, 2 * second, true}, LateCause::Slept},
        {"slept, its notice still to come",
         {At(7, 7, 59, 59), At(7, 10, 0, 0), 2 * hour + second, second, false},
         LateCause::Slept},
        {"set two hours ahead by hand",
         {At(7, 7, 30, 0), At(7, 9, 30, 1), second, second, false},
         LateCause::ClockChanged},
        {"daylight saving: 7:30 became 8:30",
         {At(7, 7, 30, 0), At(7, 8, 30, 1), second, second, false},
         LateCause::ClockChanged},
        {"network time, three minutes",
         {At(7, 7, 59, 59), At(7, 8, 3, 0), second, second, false},
         LateCause::ClockChanged},
        {"moved while the thread stood 40 s",
         {At(7, 7, 59, 0), At(7, 8, 5, 0), 40 * second, 40 * second, false},
         LateCause::ClockChanged},
        {"moved ahead after a short sleep",
         {At(7, 7, 59, 59), At(7, 10, 0, 0), 30 * second, second, true},
         LateCause::ClockChanged},
        {"slept half an hour, then moved two hours",
         {At(7, 7, 50, 0), At(7, 10, 20, 0), 30 * minute, second, true},
         LateCause::Slept},
        {"the thread stood five minutes",
         {At(7, 7, 58, 0), At(7, 8, 3, 0), 5 * minute, 5 * minute, false},
         LateCause::HeldUp},
        {"a long gap, nothing known of sleep",
         {At(7, 7, 58, 0), At(7, 8, 3, 0), 5 * minute, -1, false},
         LateCause::HeldUp},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WhyLate(c.gap, due), c.cause) << c.name;

    const std::string slept = SkippedActionText(0, due, LateCause::Slept);
    const std::string moved = SkippedActionText(0, due, LateCause::ClockChanged);
    const std::string heldUp = SkippedActionText(0, due, LateCause::HeldUp);
    EXPECT_NE(slept.find("睡眠或休眠"), std::string::npos) << slept;
    EXPECT_NE(moved.find("系统时间被向前调整"), std::string::npos) << moved;
    EXPECT_EQ(moved.find("睡眠"), std::string::npos) << moved;
    EXPECT_NE(heldUp.find("本程序未能运行"), std::string::npos) << heldUp;
    for (const std::string* text : {&slept, &moved, &heldUp})
        EXPECT_NE(text->find("2026年12月7日 08:00:00"), std::string::npos) << *text;
}

TEST(ActionNotice, ShownForTheLastThirtySecondsOfAShutdownOrRestart) {
    const double due = EncodeDate(2026, 12, 7) + EncodeTime(12, 1, 0, 0);
    auto at = [](int m, int s, int ms) { return EncodeDate(2026, 12, 7) + EncodeTime(12, m, s, ms); };
    struct Case {
        bool armed;
        ScheduledActionKind kind;
        double now;
        std::optional<int> left;
    } cases[] = {
        {true, ScheduledActionKind::Shutdown, at(0, 29, 999), std::nullopt}, // 30.001 s: not yet
        {true, ScheduledActionKind::Shutdown, at(0, 30, 0), 30},
        {true, ScheduledActionKind::Restart, at(0, 30, 400), 30}, // 29.6 s shows as 30
        {true, ScheduledActionKind::Restart, at(0, 59, 0), 1},
        {true, ScheduledActionKind::Shutdown, at(1, 0, 0), 0},
        {true, ScheduledActionKind::Shutdown, at(1, 0, 1), std::nullopt}, // due: carried out
        {true, ScheduledActionKind::Alarm, at(0, 50, 0), std::nullopt},   // a sound harms nobody
        {false, ScheduledActionKind::Shutdown, at(0, 50, 0), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NoticeSecondsLeft(c.armed, c.kind, c.now, due), c.left) << c.now;
    EXPECT_EQ(ActionNoticeText(ScheduledActionKind::Restart, 29), "29 秒后重启，其他程序中未保存的内容将会丢失。");
}

TEST(DueTime, TheArmedActionSaysWhen) {
    struct Case {
        ScheduledActionKind kind;
        double due, now;
        const char* text;
    };
    const Case cases[] = {
        {ScheduledActionKind::Shutdown, At(7, 14, 5), At(7, 13, 45), "将于 14:05 关机"},
        {ScheduledActionKind::Alarm, At(8, 7, 30), At(7, 23, 50), "将于 12月8日 07:30 播放声音"},
        {ScheduledActionKind::Restart, At(7, 0, 0, 30), At(7, 0, 0), "将于 00:00 重启"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DueActionText(c.kind, c.due, c.now), c.text);
}
