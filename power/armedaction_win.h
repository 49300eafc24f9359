#pragma once
// The one timed action the user arms in 定时设定: shut down, sound the alarm or
// restart at a set time; the notice with its countdown before a shutdown or
// restart; and why an action came too late to be carried out.
#include "base/datetime.h"
#include "base/effects_win.h"
#include "base/errorreporter_win.h"
#include "power/actionnotice_win.h"
#include "power/schedule.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vemora {

class ArmedAction {
public:
    struct Hooks {
        std::function<void()> changed;           // armed or disarmed
        std::function<void()> beforeSessionEnds; // the system is about to go down: what must be saved is saved
        // Milliseconds by a count that runs on through sleep and that setting
        // the clock never moves, and of those the ones the computer was awake;
        // empty: the system's.
        std::function<long long()> realMs, awakeMs;
    };
    // `noticeOwner` owns the notice; `ringSound` is the alarm sound, a WAV image in memory.
    ArmedAction(HWND noticeOwner, Effects& effects, ErrorReporter& reporter, const void* ringSound, Hooks hooks);
    ~ArmedAction();

    bool Armed() const { return armed_; }
    const ScheduledActionState& State() const { return state_; }
    // Arms the action, or disarms it with none.
    void Set(std::optional<ScheduledActionState> action);
    // The second's work at local time `now`: carries out the action when due
    // and updates the notice. An action whose time passed unseen (asleep, the
    // clock set forward) is disarmed, and what the user is to be told of it is
    // given back (UTF-8); empty otherwise.
    std::string Tick(const DateTimeParts& now);
    // The computer woke up: a late action is told as slept through.
    void Resumed() { resumedSinceTick_ = true; }
    // When the armed action will happen (UTF-8), for the tips; empty when none is armed.
    std::string DueText(double now) const;
    ActionNotice* Notice() { return notice_.get(); }

private:
    void CarryOut();
    void UpdateNotice(double now);
    TickGap GapSinceLastTick(const DateTimeParts& now);

    HWND noticeOwner_;
    Effects& effects_;
    ErrorReporter& reporter_;
    const void* ringSound_;
    Hooks hooks_;
    bool armed_ = false;
    ScheduledActionState state_;
    std::unique_ptr<ActionNotice> notice_;
    // What the last tick saw, for telling why an action came late.
    struct TickCounts {
        double local = 0;
        long long realMs = 0;
        long long awakeMs = -1;
    };
    std::optional<TickCounts> lastTick_;
    bool resumedSinceTick_ = false;
};

} // namespace vemora
