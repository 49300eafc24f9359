#include "power/armedaction_win.h"

#include "power/power_win.h"

#include <mmsystem.h>

#include <utility>

namespace vemora {

ArmedAction::ArmedAction(HWND noticeOwner, Effects& effects, ErrorReporter& reporter, const void* ringSound,
                         Hooks hooks)
    : noticeOwner_(noticeOwner), effects_(effects), reporter_(reporter), ringSound_(ringSound),
      hooks_(std::move(hooks)) {}

ArmedAction::~ArmedAction() = default;

void ArmedAction::Set(std::optional<ScheduledActionState> action) {
    armed_ = action.has_value();
    if (action)
        state_ = *action;
    hooks_.changed();
    if (!armed_ && notice_)
        notice_->Hide();
}

// Disarmed first, whatever is to be saved saved before the system is asked to go down.
void ArmedAction::CarryOut() {
    armed_ = false;
    hooks_.changed();
    if (notice_)
        notice_->Hide();
    switch (state_.kind) {
    case ScheduledActionKind::Shutdown:
        hooks_.beforeSessionEnds();
        ShutdownComputer(effects_);
        break;
    case ScheduledActionKind::Alarm:
        effects_.PlaySoundMemory(ringSound_, SND_ASYNC | SND_MEMORY);
        break;
    case ScheduledActionKind::Restart:
        hooks_.beforeSessionEnds();
        RebootComputer(effects_);
        break;
    default:
        break;
    }
}

std::string ArmedAction::Tick(const DateTimeParts& now) {
    const double local = EncodeDateTime(now);
    const TickGap gap = GapSinceLastTick(now);
    std::string skipped;
    switch (JudgeAction(armed_, local, state_.due)) {
    case ActionVerdict::Carry:
        CarryOut();
        break;
    case ActionVerdict::Skip:
        armed_ = false;
        hooks_.changed();
        skipped = SkippedActionText(static_cast<int>(state_.kind), state_.due, WhyLate(gap, state_.due));
        break;
    case ActionVerdict::Wait:
        break;
    }
    UpdateNotice(local);
    return skipped;
}

// The last seconds before a timed shutdown or restart show a countdown that
// can cancel it or carry it out at once; any other time, no notice.
void ArmedAction::UpdateNotice(double now) {
    const std::optional<int> left = NoticeSecondsLeft(armed_, state_.kind, now, state_.due);
    if (!left) {
        if (notice_)
            notice_->Hide();
        return;
    }
    if (!notice_)
        notice_ = std::make_unique<ActionNotice>(
            noticeOwner_, reporter_, [this] { Set(std::nullopt); },
            [this] {
                if (armed_)
                    CarryOut();
            });
    notice_->Show(state_.kind, *left);
}

std::string ArmedAction::DueText(double now) const {
    return armed_ ? DueActionText(state_.kind, state_.due, now) : std::string();
}

// Between the last tick and this one: how far the local time went, how much
// real time passed, how much of it awake, and whether the computer woke up.
TickGap ArmedAction::GapSinceLastTick(const DateTimeParts& now) {
    TickCounts counts{EncodeDateTime(now), 0, -1};
    counts.realMs = hooks_.realMs ? hooks_.realMs() : static_cast<long long>(GetTickCount64());
    if (hooks_.awakeMs) {
        counts.awakeMs = hooks_.awakeMs();
    } else if (ULONGLONG unbiased = 0; QueryUnbiasedInterruptTime(&unbiased)) {
        counts.awakeMs = static_cast<long long>(unbiased / 10000); // 100 ns units
    }
    TickGap gap;
    gap.now = counts.local;
    gap.previousTick = lastTick_ ? lastTick_->local : counts.local;
    if (lastTick_) {
        gap.realMs = counts.realMs - lastTick_->realMs;
        if (counts.awakeMs >= 0 && lastTick_->awakeMs >= 0)
            gap.awakeMs = counts.awakeMs - lastTick_->awakeMs;
    }
    gap.resumed = std::exchange(resumedSinceTick_, false);
    lastTick_ = counts;
    return gap;
}

} // namespace vemora
