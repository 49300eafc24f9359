#include "settings/setup_win.h"

#include "app/clockmain_win.h"
#include "app/controls_win.h"

namespace vemora {

namespace {
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_LAYERED | WS_EX_CONTROLPARENT;
} // namespace

Tfrmset::Tfrmset(Tfrmmain& main, ErrorReporter& reporter) : BaseWindow(reporter), main_(main) {
    CreateHandle(kExStyle, kStyle, DialogBounds(326, 248, kStyle, kExStyle), main.Handle(),
                 L"TallisVemora：设置……");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
}

void Tfrmset::ShowModal() {
    CentreOnScreen(hwnd_);
    RunModal(main_.Handle());
}

LRESULT Tfrmset::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        EndModal();
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

} // namespace vemora
