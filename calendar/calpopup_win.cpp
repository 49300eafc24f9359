#include "calendar/calpopup_win.h"

#include "app/clockmain_win.h"

namespace vemora {

Tfrmcal::Tfrmcal(Tfrmmain& main, ErrorReporter& reporter) : BaseWindow(reporter), main_(main) {
    CreateHandle(WS_EX_LAYERED, WS_POPUP, RECT{0, 0, 153, 169}, main.ApplicationWindow(), L"frmcal");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
}

void Tfrmcal::Show() { ShowWindow(hwnd_, SW_SHOWNOACTIVATE); }
void Tfrmcal::Close() { ShowWindow(hwnd_, SW_HIDE); }

LRESULT Tfrmcal::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
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
