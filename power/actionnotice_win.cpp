#include "power/actionnotice_win.h"

#include "base/text_win.h"

namespace vemora {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
constexpr int kWidth = 280, kHeight = 80;

} // namespace

ActionNotice::ActionNotice(HWND owner, ErrorReporter& reporter, std::function<void()> cancel,
                           std::function<void()> carryOutNow)
    : BaseWindow(reporter), cancel_(std::move(cancel)), carryOutNow_(std::move(carryOutNow)) {
    CreateHandle(kExStyle, kStyle, DialogBounds(kWidth, kHeight, kStyle, kExStyle), owner, L"定时");
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    text = CreateControl(hwnd_, {L"STATIC", L"", SS_LEFT, 12, 10, kWidth - 24, 32, 0}, f);
    cancelButton =
        CreateControl(hwnd_, {L"BUTTON", L"取消", BS_PUSHBUTTON, kWidth - 172, 46, 75, 25, kCancelButton}, f);
    nowButton = CreateControl(hwnd_, {L"BUTTON", L"立即执行", BS_PUSHBUTTON, kWidth - 87, 46, 75, 25, kNowButton}, f);
}

void ActionNotice::Show(ScheduledActionKind kind, int secondsLeft) {
    SetWindowTextW(text, Utf8ToWide(ActionNoticeText(kind, secondsLeft)).c_str());
    if (IsWindowVisible(hwnd_))
        return;
    // The bottom right corner of the work area, above every window that is not topmost.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT own{};
    GetWindowRect(hwnd_, &own);
    SetWindowPos(hwnd_, HWND_TOPMOST, work.right - (own.right - own.left) - 8, work.bottom - (own.bottom - own.top) - 8,
                 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void ActionNotice::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

std::optional<LRESULT> ActionNotice::HandleMessage(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == kCancelButton) {
                Hide();
                cancel_();
            } else if (LOWORD(wParam) == kNowButton) {
                Hide();
                carryOutNow_();
            }
        }
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
