#include "power/shutdowndlg_win.h"

#include "base/dpi_win.h"
#include "power/schedule.h"
#include "settings/settings.h"

namespace vemora {

namespace {

// Without WS_CLIPCHILDREN: the group boxes paint only their frames and
// captions, so the dialog's background must be painted under them.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_LAYERED | WS_EX_CONTROLPARENT;

} // namespace

Tfrmshutdown::Tfrmshutdown(HWND owner, HWND modalOver, ErrorReporter& reporter, std::function<DateTimeParts()> now,
                           std::function<void()> armedChanged)
    : BaseWindow(reporter), modalOver_(modalOver), now_(std::move(now)), armedChanged_(std::move(armedChanged)) {
    CreateHandle(kExStyle, kStyle, DialogBounds(341, 267, kStyle, kExStyle), owner, L"定时设置");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    // Created in the tab order: Button1, Button2, Button3, rg1, spdelay, sphour, spmin, rg2.
    Button1 =
        CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 32, 234, 75, 25, kButton1}, f);
    Button2 = CreateControl(hwnd_,
                            {L"BUTTON", L"退出", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 222, 234, 75, 25, kButton2}, f);
    Button3 = CreateControl(hwnd_,
                            {L"BUTTON", L"重设", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 126, 234, 75, 25, kButton3}, f);
    CreateControl(hwnd_, {L"BUTTON", L"请选择", WS_GROUP | BS_GROUPBOX, 32, 16, 265, 113, 0}, f);
    // The first item's caption leaves room for the hour and minute edits that
    // sit in it; here the edits and the two unit labels are controls of their own.
    rg1[0] = CreateControl(
        hwnd_, {L"BUTTON", L"于设定时间：", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 40, 43, 96, 20, kRg1Item0}, f);
    rg1[1] = CreateControl(hwnd_, {L"BUTTON", L"N分钟以后：", BS_AUTORADIOBUTTON, 40, 89, 96, 20, kRg1Item1}, f);
    spdelay.Create(hwnd_, 138, 88, 121, 22, kSpdelay, 1, 99999999, 20, f);
    sphour.Create(hwnd_, 138, 42, 49, 22, kSphour, 0, 23, 0, f);
    CreateControl(hwnd_, {L"STATIC", L"时", SS_LEFT, 191, 46, 16, 16, 0}, f);
    spmin.Create(hwnd_, 212, 42, 49, 22, kSpmin, 0, 59, 0, f);
    CreateControl(hwnd_, {L"STATIC", L"分", SS_LEFT, 265, 46, 16, 16, 0}, f);
    CreateControl(hwnd_, {L"BUTTON", L"动作", WS_GROUP | BS_GROUPBOX, 31, 144, 266, 84, 0}, f);
    rg2[0] = CreateControl(
        hwnd_, {L"BUTTON", L"关机", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 39, 162, 120, 20, kRg2Item0}, f);
    rg2[1] = CreateControl(hwnd_, {L"BUTTON", L"播放声音：", BS_AUTORADIOBUTTON, 39, 196, 120, 20, kRg2Item1}, f);
    rg2[2] = CreateControl(hwnd_, {L"BUTTON", L"重启", BS_AUTORADIOBUTTON, 172, 162, 120, 20, kRg2Item2}, f);
    SetRg1Index(0);
    SetRg2Index(0);
    layout_.Capture(hwnd_);
    if (const int dpi = WindowDpi(hwnd_); dpi != kDesignDpi)
        ApplyDpi(dpi);
}

void Tfrmshutdown::ApplyDpi(int dpi) {
    dpi_ = dpi;
    layout_.Apply(hwnd_, 341, 267, dpi);
}

int Tfrmshutdown::Rg1Index() const {
    return IsChecked(rg1[1]) ? 1 : IsChecked(rg1[0]) ? 0 : -1;
}

int Tfrmshutdown::Rg2Index() const {
    for (int i = 0; i < 3; ++i)
        if (IsChecked(rg2[i]))
            return i;
    return -1;
}

void Tfrmshutdown::SetRg1Index(int index) {
    for (int i = 0; i < 2; ++i)
        SetChecked(rg1[i], i == index);
}

void Tfrmshutdown::SetRg2Index(int index) {
    for (int i = 0; i < 3; ++i)
        SetChecked(rg2[i], i == index);
}

void Tfrmshutdown::ShowModal() {
    FormShow();
    // The focus starts on the first control of the tab order that takes it.
    HWND first = IsWindowEnabled(Button1) ? Button1 : GetNextDlgTabItem(hwnd_, Button1, FALSE);
    SetFocus(first);
    RunModal(modalOver_);
}

void Tfrmshutdown::FormShow() {
    CentreOnScreen(hwnd_);
    if (ClockSettings.Armed)
        return; // show the values it was armed with
    int hour = 0, minute = 0;
    ProposedTimeOfDay(EncodeDateTime(now_()), hour, minute);
    sphour.SetValue(hour);
    spmin.SetValue(minute);
}

void Tfrmshutdown::Button1Click() {
    if (!IsWindowEnabled(Button1))
        return; // armed already, or carried out and not yet reset
    const double now = EncodeDateTime(now_());
    sphour.Normalize();
    spmin.Normalize();
    spdelay.Normalize();
    if (Rg1Index() == 0)
        ClockSettings.ScheduledAction.due =
            DueAtTimeOfDay(now, static_cast<int>(sphour.Value()), static_cast<int>(spmin.Value()));
    else if (Rg1Index() == 1)
        ClockSettings.ScheduledAction.due = DueAfterMinutes(now, spdelay.Value());
    ClockSettings.ScheduledAction.kind = static_cast<ScheduledActionKind>(Rg2Index());
    // A disabled control loses the focus; the next one in the tab order takes
    // it, so that Tab, Esc and Enter keep working.
    if (GetFocus() == Button1)
        SetFocus(GetNextDlgTabItem(hwnd_, Button1, FALSE));
    EnableWindow(Button1, FALSE);
    ClockSettings.Armed = true;
    armedChanged_();
}

void Tfrmshutdown::Button3Click() {
    ClockSettings.Armed = false;
    armedChanged_();
    EnableWindow(Button1, TRUE);
}

void Tfrmshutdown::Button2Click() {
    EndModal();
}

std::optional<LRESULT> Tfrmshutdown::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DPICHANGED:
        ApplyDpi(DpiOfDpiChanged(wParam));
        MoveToSuggestedRect(hwnd_, lParam);
        return 0;
    case DM_GETDEFID: {
        // Enter on a focused button presses that button; elsewhere there is
        // no default button, and Enter in a spin edit is the edit's own.
        HWND focus = GetFocus();
        for (HWND button : {Button1, Button2, Button3})
            if (focus == button)
                return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case kButton1:
                Button1Click();
                return 0;
            case kButton2:
            case IDCANCEL: // Esc
                Button2Click();
                return 0;
            case kButton3:
                Button3Click();
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
