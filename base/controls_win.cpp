#include "base/controls_win.h"

#include <commctrl.h>

#include "base/text_win.h"
#include "base/controls.h"
#include "base/dpi_win.h"

#include <algorithm>
#include <vector>

namespace vemora {

HWND CreateControl(HWND parent, const ControlSpec& spec, HFONT font) {
    HWND control = CreateWindowExW(
        0, spec.windowClass, spec.text, WS_CHILD | WS_VISIBLE | spec.style, spec.x, spec.y, spec.width, spec.height,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), GetModuleHandleW(nullptr), nullptr);
    if (control && font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// 8 points at the resolution, as the system sizes a point font: height 11 at
// 96 pixels per inch, 16 at 144 (not 16.5 rounded up, which no longer fits
// the labels designed around 11).
HWND CreateWindowTip(HWND window, HWND owner) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner ? owner : window,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tip)
        return nullptr;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return tip;
}

UniqueHfont CreateDialogFont(int dpi) {
    return UniqueHfont(CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

RECT DialogBounds(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return RECT{0, 0, r.right - r.left, r.bottom - r.top};
}

void CentreOnScreen(HWND window) {
    // Coming from a monitor of another resolution, the move itself rescales
    // the dialog (WM_DPICHANGED); the new size is then centred once more.
    for (int pass = 0; pass < 2; ++pass) {
        RECT r{};
        GetWindowRect(window, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT now{};
        GetWindowRect(window, &now);
        if (now.right - now.left == width && now.bottom - now.top == height)
            break;
    }
}

void DialogLayout::Capture(HWND dialog) {
    controls_.clear();
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        int droppedWidth = 0;
        wchar_t windowClass[32] = {};
        GetClassNameW(child, windowClass, 32);
        if (_wcsicmp(windowClass, L"ComboBox") == 0) {
            // A drop-down list's height is that of its open list.
            RECT dropped{};
            SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            if (dropped.bottom - dropped.top > r.bottom - r.top)
                r.bottom = r.top + (dropped.bottom - dropped.top);
            const int width = static_cast<int>(SendMessageW(child, CB_GETDROPPEDWIDTH, 0, 0));
            if (width > r.right - r.left)
                droppedWidth = width;
        }
        controls_.push_back({child, {r.left, r.top, r.right, r.bottom}, droppedWidth});
    }
}

void DialogLayout::Apply(HWND dialog, int clientWidth, int clientHeight, int dpi) {
    const RECT outer = WindowBoundsForDpi(ScaleForDpi(clientWidth, dpi), ScaleForDpi(clientHeight, dpi),
                                          static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)),
                                          static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)), dpi);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right, outer.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    font_ = CreateDialogFont(dpi);
    for (const Control& c : controls_) {
        SendMessageW(c.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        const PixelRect r = ScaleRectForDpi(c.bounds, dpi);
        SetWindowPos(c.window, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        if (c.droppedWidth)
            SendMessageW(c.window, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(ScaleForDpi(c.droppedWidth, dpi)), 0);
    }
    InvalidateRect(dialog, nullptr, TRUE);
}

LRESULT AnswerGetText(const std::wstring& text, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETTEXTLENGTH)
        return static_cast<LRESULT>(text.size());
    if (wParam == 0 || lParam == 0)
        return 0;
    const size_t copied = std::min(text.size(), static_cast<size_t>(wParam) - 1);
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    std::copy_n(text.data(), copied, buffer);
    buffer[copied] = L'\0';
    return static_cast<LRESULT>(copied);
}

std::wstring WindowText(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(window, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

bool IsChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SpinEdit::Create(HWND parent, int x, int y, int width, int height, int id, long long minimum, long long maximum,
                      long long value, HFONT font) {
    minimum_ = minimum;
    maximum_ = maximum;
    edit_ =
        CreateControl(parent, {L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, x, y, width, height, id}, font);
    SetWindowLongW(edit_, GWL_EXSTYLE, GetWindowLongW(edit_, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(edit_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    upDown_ =
        CreateWindowExW(0, UPDOWN_CLASSW, L"",
                        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_SETBUDDYINT, 0,
                        0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    // The arrows write the stepped value into the edit; 32 bits hold 99999999.
    SendMessageW(upDown_, UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
    SetWindowSubclass(edit_, &SpinEdit::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetValue(value);
}

long long SpinEdit::Value() const {
    return SpinValue(WideToUtf8(WindowText(edit_)).c_str(), minimum_, maximum_);
}

void SpinEdit::SetValue(long long value) {
    value = value < minimum_ ? minimum_ : value > maximum_ ? maximum_ : value;
    SetWindowTextW(edit_, std::to_wstring(value).c_str());
    SendMessageW(upDown_, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}

LRESULT CALLBACK SpinEdit::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SpinEdit*>(data);
    switch (msg) {
    case WM_CHAR: {
        const wchar_t c = static_cast<wchar_t>(wParam);
        const bool allowed = (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.' || (c < 32 && c != L'\r');
        if (!allowed) {
            MessageBeep(0);
            return 0;
        }
        break;
    }
    case WM_GETDLGCODE: {
        // Enter is the edit's own key, refused with a beep below: the dialog
        // around it must not take it for a press of a button.
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTMESSAGE;
        break;
    }
    case WM_KILLFOCUS:
        self->Normalize();
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &SpinEdit::EditProc, 1);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace vemora
