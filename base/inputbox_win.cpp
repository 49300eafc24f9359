#include "base/inputbox_win.h"

#include "base/dpi_win.h"

namespace vemora {

namespace {
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
} // namespace

InputBox::InputBox(ErrorReporter& reporter, HWND owner, const std::wstring& caption, const std::wstring& prompt)
    : BaseWindow(reporter), owner_(owner) {
    CreateHandle(kExStyle, kStyle, DialogBounds(260, 104, kStyle, kExStyle), owner, caption.c_str());
    font_ = CreateDialogFont();
    CreateControl(hwnd_, {L"STATIC", prompt.c_str(), SS_LEFT, 12, 12, 236, 16, 0}, font_.get());
    edit_ = CreateControl(hwnd_, {L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 12, 32, 236, 22, kEdit},
                          font_.get());
    CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 92, 68, 75, 25, kOk}, font_.get());
    CreateControl(hwnd_, {L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 173, 68, 75, 25, kCancel}, font_.get());
    layout_.Capture(hwnd_);
    if (const int dpi = WindowDpi(hwnd_); dpi != kDesignDpi)
        layout_.Apply(hwnd_, 260, 104, dpi);
}

std::optional<std::wstring> InputBox::Ask() {
    CentreOnScreen(hwnd_);
    answer_.reset();
    SetFocus(edit_);
    RunModal(owner_);
    return answer_;
}

std::optional<LRESULT> InputBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DPICHANGED:
        layout_.Apply(hwnd_, 260, 104, DpiOfDpiChanged(wParam));
        MoveToSuggestedRect(hwnd_, lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return 0; // the edit's notifications
        if (LOWORD(wParam) == kOk) {
            answer_ = WindowText(edit_);
            EndModal();
        } else if (LOWORD(wParam) == kCancel) {
            EndModal();
        }
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
