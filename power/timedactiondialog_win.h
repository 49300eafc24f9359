#pragma once
#include "base/controls_win.h"
#include "base/datetime.h"
#include "base/window_win.h"
#include "power/schedule.h"

#include <functional>
#include <optional>

namespace vemora {

// The timed-action dialog: arms one shutdown, alarm sound or restart at a time
// of day or after a number of minutes.
class TimedActionDialog : public BaseWindow<TimedActionDialog> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmshutdown";
    // Not IDOK and IDCANCEL: Enter where no button has the focus must not
    // reach the OK button. Esc (IDCANCEL) closes, as 退出 does.
    // clang-format off
    enum Id {
        kOkButton = 10, kCloseButton, kResetButton,    // 确定, 退出, 重设
        kAtTimeOfDay, kAfterMinutes,                 // at a time of day, after a number of minutes
        kHourEdit, kMinuteEdit, kMinutesEdit,            // the hour, the minute, the minutes
        kShutdownChoice, kAlarmChoice, kRestartChoice       // shut down, play the sound, restart
    };
    // clang-format on

    // owner: the window that owns the dialog; modalOver: the clock, disabled
    // while the dialog runs; now: the local time; armed: whether an action
    // waits; armedChanged gets the action armed, or none when reset.
    TimedActionDialog(HWND owner, HWND modalOver, ErrorReporter& reporter, std::function<DateTimeParts()> now,
                      std::function<bool()> armed,
                      std::function<void(std::optional<ScheduledActionState>)> armedChanged);

    void ShowModal();
    void ProposeDueTime();
    void Accept();
    void Leave();
    void Reset();

    SpinEdit hourEdit, minuteEdit, minutesEdit;
    HWND okButton = nullptr, closeButton = nullptr, resetButton = nullptr;
    HWND whenChoices[2] = {}, actionChoices[3] = {};
    HWND dueLabel = nullptr; // when the armed action will happen; empty while none is
    int WhenIndex() const;
    ScheduledActionKind ChosenActionKind() const;
    void SetWhenIndex(int index);
    void ChooseActionKind(ScheduledActionKind kind);

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The dialog at a resolution: size, controls and font scaled from the design.
    void ApplyDpi(int dpi);
    int Dpi() const { return dpi_; }

private:
    HWND modalOver_;
    std::function<DateTimeParts()> now_;
    std::function<bool()> armed_;
    std::function<void(std::optional<ScheduledActionState>)> armedChanged_;
    std::optional<ScheduledActionState> armedAction_; // what OK armed last
    void ShowDue();
    UniqueHfont font_;
    DialogLayout layout_;
    int dpi_ = kDesignDpi;
};

} // namespace vemora
