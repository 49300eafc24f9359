#include "weather/placelistbox_win.h"

#include "base/dpi_win.h"

namespace vemora {

namespace {
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kWidth = 300, kHeight = 214;
} // namespace

PlaceListBox::PlaceListBox(ErrorReporter& reporter, HWND owner, const std::wstring& prompt,
                           const std::vector<std::wstring>& labels)
    : BaseWindow(reporter), owner_(owner) {
    CreateHandle(kExStyle, kStyle, DialogBounds(kWidth, kHeight, kStyle, kExStyle), owner, L"选择城市");
    font_ = CreateDialogFont();
    CreateControl(hwnd_, {L"STATIC", prompt.c_str(), SS_LEFT, 12, 12, 276, 16, 0}, font_.get());
    list_ = CreateControl(hwnd_,
                          {L"LISTBOX", L"", WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 12, 32, 276, 136, kList},
                          font_.get());
    for (const std::wstring& label : labels)
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    SendMessageW(list_, LB_SETCURSEL, 0, 0);
    CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 132, 178, 75, 25, kOk}, font_.get());
    CreateControl(hwnd_, {L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 213, 178, 75, 25, kCancel}, font_.get());
    layout_.Capture(hwnd_);
    if (const int dpi = WindowDpi(hwnd_); dpi != kDesignDpi)
        layout_.Apply(hwnd_, kWidth, kHeight, dpi);
}

std::optional<std::size_t> PlaceListBox::Ask() {
    CentreOnScreen(hwnd_);
    answer_.reset();
    SetFocus(list_);
    RunModal(owner_);
    return answer_;
}

void PlaceListBox::Choose() {
    const LRESULT index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (index != LB_ERR)
        answer_ = static_cast<std::size_t>(index);
    EndModal();
}

std::optional<LRESULT> PlaceListBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DPICHANGED:
        layout_.Apply(hwnd_, kWidth, kHeight, DpiOfDpiChanged(wParam));
        MoveToSuggestedRect(hwnd_, lParam);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kList && HIWORD(wParam) == LBN_DBLCLK)
            Choose();
        else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kOk)
            Choose();
        else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCancel)
            EndModal();
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
