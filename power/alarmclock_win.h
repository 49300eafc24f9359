#pragma once
#include "base/controls_win.h"
#include "base/effects_win.h"
#include "base/handles_win.h"
#include "base/window_win.h"
#include "power/alarm.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vemora {

// What the alarm window shows of one alarm. Text is GBK, as stored.
struct RingingAlarm {
    std::string label;
    int hour = 0, minute = 0;
    int snooze = 10;
    std::string sound;   // empty: the built-in ring
    bool missed = false; // passed while the computer slept: listed, silent
};

// The small window of alarms that ring: their labels and times, 稍后提醒 and
// 关闭. Topmost, above a full-screen program, and never taking the keyboard
// from it: shown without activation, and a click does not activate it.
class AlarmWindow : public BaseWindow<AlarmWindow> {
public:
    static constexpr const wchar_t* kClassName = L"TVemoraAlarm";
    enum Id { kSnoozeButton = 10, kCloseButton };

    AlarmWindow(HWND owner, ErrorReporter& reporter, std::function<void()> snooze, std::function<void()> close);

    // Shows the entries (adding to those shown) without taking the focus.
    void Show(const std::vector<RingingAlarm>& entries);
    void Hide();
    const std::vector<RingingAlarm>& Entries() const { return entries_; }
    // What it shows: each alarm's label and time, line by line.
    std::wstring ShownText() const;

    HWND text = nullptr, snoozeButton = nullptr, closeButton = nullptr;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void()> snooze_, close_;
    std::vector<RingingAlarm> entries_;
    UniqueHfont font_;
};

// The alarms while the program runs: they ring on the clock's tick, snooze,
// fall silent after two minutes, and wake the computer where asked. The clock
// owns it and hands in the holiday facts and a way to store the alarms.
class AlarmClock {
public:
    // save writes the alarms to the settings file, throwing on failure;
    // builtInRing: the program's alarm sound, a WAV image in memory.
    AlarmClock(HWND owner, Effects& effects, ErrorReporter& reporter, const WorkingDays& days,
               std::function<void(const std::vector<Alarm>&)> save, const void* builtInRing);
    ~AlarmClock();

    // The alarms read at start-up; their problems are told by ReportProblems.
    void Load(LoadedAlarms loaded);
    void ReportProblems(HWND owner);
    // The alarms as the user changed them: stored at once, then watched afresh.
    void Replace(std::vector<Alarm> alarms);
    const std::vector<Alarm>& Alarms() const { return alarms_; }
    const WorkingDays& Days() const { return days_; }

    // The tick's work at local date-time now.
    void Tick(double now);
    // "下一个闹钟：明天 07:30 上班"; empty without one.
    std::wstring NextAlarmLine(double now) const;

    // Plays an alarm's sound once (the editor's 试听).
    void Preview(const std::string& sound);
    AlarmWindow* Window() { return window_.get(); }
    bool Sounding() const { return sounding_; }

private:
    void Ring(std::vector<RingingAlarm> entries, double now);
    void Snooze();
    void Dismiss();
    void StopSound();
    void SetWakeTimer(double now);
    void Store();

    HWND owner_;
    Effects& effects_;
    ErrorReporter& reporter_;
    const WorkingDays& days_;
    std::function<void(const std::vector<Alarm>&)> save_;
    const void* builtInRing_;
    std::vector<Alarm> alarms_;
    std::vector<AlarmWatch> watches_;
    std::vector<std::string> problems_;
    struct Snoozed {
        RingingAlarm alarm;
        double due = 0;
    };
    std::vector<Snoozed> snoozed_;
    std::unique_ptr<AlarmWindow> window_;
    bool sounding_ = false;
    double soundingSince_ = 0;
    double lastNow_ = 0;
    std::wstring soundPath_; // the file sndPlaySound loops, kept alive while it plays
    UniqueKernelHandle wakeTimer_;
    long long wakeMinute_ = -1;        // what the wake timer is set for
    long long wakeCheckedMinute_ = -1; // the minute it was last worked out in
};

} // namespace vemora
