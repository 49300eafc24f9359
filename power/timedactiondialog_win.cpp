#include "power/timedactiondialog_win.h"

#include "base/dpi_win.h"
#include "base/text_win.h"
#include "power/schedule.h"

namespace vemora {

namespace {

// Without WS_CLIPCHILDREN: the group boxes paint only their frames and
// captions, so the dialog's background must be painted under them.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_LAYERED | WS_EX_CONTROLPARENT;

} // namespace

TimedActionDialog::TimedActionDialog(HWND owner, HWND modalOver, ErrorReporter& reporter,
                                     std::function<DateTimeParts()> now, std::function<bool()> armed,
                                     std::function<void(std::optional<ScheduledActionState>)> armedChanged)
    : BaseWindow(reporter), modalOver_(modalOver), now_(std::move(now)), armed_(std::move(armed)),
      armedChanged_(std::move(armedChanged)) {
    CreateHandle(kExStyle, kStyle, DialogBounds(341, 289, kStyle, kExStyle), owner, L"定时设定");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    // Created in the tab order: okButton, closeButton, resetButton, whenChoices, minutesEdit, hourEdit, minuteEdit,
    // actionChoices.
    okButton = CreateControl(
        hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 32, 256, 75, 25, kOkButton}, f);
    closeButton = CreateControl(
        hwnd_, {L"BUTTON", L"退出", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 222, 256, 75, 25, kCloseButton}, f);
    resetButton = CreateControl(
        hwnd_, {L"BUTTON", L"重设", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 126, 256, 75, 25, kResetButton}, f);
    CreateControl(hwnd_, {L"BUTTON", L"请选择", WS_GROUP | BS_GROUPBOX, 32, 16, 265, 113, 0}, f);
    // The first item's caption leaves room for the hour and minute edits that
    // sit in it; here the edits and the two unit labels are controls of their own.
    whenChoices[0] = CreateControl(
        hwnd_, {L"BUTTON", L"于设定时间：", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 40, 43, 96, 20, kAtTimeOfDay},
        f);
    whenChoices[1] =
        CreateControl(hwnd_, {L"BUTTON", L"N分钟以后：", BS_AUTORADIOBUTTON, 40, 89, 96, 20, kAfterMinutes}, f);
    minutesEdit.Create(hwnd_, 138, 88, 121, 22, kMinutesEdit, 1, 99999999, 20, f);
    hourEdit.Create(hwnd_, 138, 42, 49, 22, kHourEdit, 0, 23, 0, f);
    CreateControl(hwnd_, {L"STATIC", L"时", SS_LEFT, 191, 46, 16, 16, 0}, f);
    minuteEdit.Create(hwnd_, 212, 42, 49, 22, kMinuteEdit, 0, 59, 0, f);
    CreateControl(hwnd_, {L"STATIC", L"分", SS_LEFT, 265, 46, 16, 16, 0}, f);
    CreateControl(hwnd_, {L"BUTTON", L"动作", WS_GROUP | BS_GROUPBOX, 31, 144, 266, 84, 0}, f);
    actionChoices[0] = CreateControl(
        hwnd_, {L"BUTTON", L"关机", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 39, 162, 120, 20, kShutdownChoice}, f);
    actionChoices[1] =
        CreateControl(hwnd_, {L"BUTTON", L"播放声音：", BS_AUTORADIOBUTTON, 39, 196, 120, 20, kAlarmChoice}, f);
    actionChoices[2] =
        CreateControl(hwnd_, {L"BUTTON", L"重启", BS_AUTORADIOBUTTON, 172, 162, 120, 20, kRestartChoice}, f);
    dueLabel = CreateControl(hwnd_, {L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 32, 234, 265, 16, 0}, f);
    SetWhenIndex(0);
    ChooseActionKind(ScheduledActionKind::Shutdown);
    layout_.Capture(hwnd_);
    if (const int dpi = WindowDpi(hwnd_); dpi != kDesignDpi)
        ApplyDpi(dpi);
}

void TimedActionDialog::ApplyDpi(int dpi) {
    dpi_ = dpi;
    layout_.Apply(hwnd_, 341, 289, dpi);
}

int TimedActionDialog::WhenIndex() const {
    return IsChecked(whenChoices[1]) ? 1 : IsChecked(whenChoices[0]) ? 0 : -1;
}

// The action buttons in their order on the dialog.
constexpr ScheduledActionKind kActionOfChoice[] = {ScheduledActionKind::Shutdown, ScheduledActionKind::Alarm,
                                                   ScheduledActionKind::Restart};

ScheduledActionKind TimedActionDialog::ChosenActionKind() const {
    for (int i = 0; i < 3; ++i)
        if (IsChecked(actionChoices[i]))
            return kActionOfChoice[i];
    return ScheduledActionKind::Shutdown; // the buttons always hold one choice
}

void TimedActionDialog::SetWhenIndex(int index) {
    for (int i = 0; i < 2; ++i)
        SetChecked(whenChoices[i], i == index);
}

void TimedActionDialog::ChooseActionKind(ScheduledActionKind kind) {
    for (int i = 0; i < 3; ++i)
        SetChecked(actionChoices[i], kActionOfChoice[i] == kind);
}

void TimedActionDialog::ShowModal() {
    ProposeDueTime();
    // The focus starts on the first control of the tab order that takes it.
    HWND first = IsWindowEnabled(okButton) ? okButton : GetNextDlgTabItem(hwnd_, okButton, FALSE);
    SetFocus(first);
    RunModal(modalOver_);
}

void TimedActionDialog::ProposeDueTime() {
    CentreOnScreen(hwnd_);
    ShowDue();
    if (armed_())
        return; // show the values it was armed with
    // Nothing waits: an action carried out or skipped since leaves the dialog
    // ready for the next one, without a reset.
    EnableWindow(okButton, TRUE);
    int hour = 0, minute = 0;
    ProposedTimeOfDay(EncodeDateTime(now_()), hour, minute);
    hourEdit.SetValue(hour);
    minuteEdit.SetValue(minute);
}

void TimedActionDialog::Accept() {
    if (armed_())
        return; // armed already: 重设 first
    const double now = EncodeDateTime(now_());
    hourEdit.Normalize();
    minuteEdit.Normalize();
    minutesEdit.Normalize();
    ScheduledActionState action;
    if (WhenIndex() == 0)
        action.due = DueAtTimeOfDay(now, static_cast<int>(hourEdit.Value()), static_cast<int>(minuteEdit.Value()));
    else if (WhenIndex() == 1)
        action.due = DueAfterMinutes(now, minutesEdit.Value());
    action.kind = ChosenActionKind();
    // A disabled control loses the focus; the next one in the tab order takes
    // it, so that Tab, Esc and Enter keep working.
    if (GetFocus() == okButton)
        SetFocus(GetNextDlgTabItem(hwnd_, okButton, FALSE));
    EnableWindow(okButton, FALSE);
    armedChanged_(action);
    armedAction_ = action;
    ShowDue();
}

void TimedActionDialog::Reset() {
    armedChanged_(std::nullopt);
    armedAction_.reset();
    EnableWindow(okButton, TRUE);
    ShowDue();
}

// The armed action's time under the choices: 将于 14:05 关机.
void TimedActionDialog::ShowDue() {
    std::wstring text;
    if (armed_() && armedAction_)
        text = Utf8ToWide(DueActionText(armedAction_->kind, armedAction_->due, EncodeDateTime(now_())));
    SetWindowTextW(dueLabel, text.c_str());
}

void TimedActionDialog::Leave() {
    EndModal();
}

std::optional<LRESULT> TimedActionDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DPICHANGED:
        ApplyDpi(DpiOfDpiChanged(wParam));
        MoveToSuggestedRect(hwnd_, lParam);
        return 0;
    case DM_GETDEFID: {
        // Enter on a focused button presses that button; elsewhere there is
        // no default button, and Enter in a spin edit is the edit's own.
        HWND focus = GetFocus();
        for (HWND button : {okButton, closeButton, resetButton})
            if (focus == button)
                return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case kOkButton:
                Accept();
                return 0;
            case kCloseButton:
            case IDCANCEL: // Esc
                Leave();
                return 0;
            case kResetButton:
                Reset();
                return 0;
            default:
                break;
            }
        }
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
