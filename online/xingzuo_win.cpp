#include "online/xingzuo_win.h"

#include "app/clockmain_win.h"

namespace vemora {

Tfrmxingzuo::Tfrmxingzuo(Tfrmmain& main, ErrorReporter& reporter) : BaseWindow(reporter), main_(main) {
    CreateHandle(WS_EX_LAYERED, WS_POPUP, RECT{0, 0, 288, 216}, main.ApplicationWindow(), L"frmxingzuo");
}

void Tfrmxingzuo::Show() { ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }
void Tfrmxingzuo::Close() { ShowWindow(hwnd_, SW_HIDE); }

void Tfrmxingzuo::PlaceUnderClock(HWND clock) {
    RECT c{}, own{};
    GetWindowRect(clock, &c);
    GetWindowRect(hwnd_, &own);
    const int width = own.right - own.left;
    MoveWindow(hwnd_, GetSystemMetrics(SM_CXSCREEN) - width + 60, c.bottom, width, own.bottom - own.top, TRUE);
}

LRESULT Tfrmxingzuo::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        DragWithMouse(wParam);
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

} // namespace vemora
