#pragma once
#include "base/window_win.h"

#include <functional>
#include <optional>

namespace vemora {

// A window that lives beside the clock for the whole run: borderless, dragged
// by what it draws, shown without taking the focus, and only hidden when it is
// closed, so that what it holds survives until the next showing.
template <typename T> class CompanionWindow : public BaseWindow<T> {
public:
    void Show() { ShowWindow(this->hwnd_, SW_SHOWNOACTIVATE); }
    virtual void Close() { ShowWindow(this->hwnd_, SW_HIDE); }
    std::function<void()> OnClosed;

protected:
    explicit CompanionWindow(ErrorReporter& reporter) : BaseWindow<T>(reporter, Dragging::ByMouse) {}
    // The close box, Alt+F4 or WM_CLOSE: hidden as the window closes, then
    // OnClosed tells the owner, which switches the window off.
    void CloseRequested() override {
        Close();
        if (OnClosed)
            OnClosed();
    }
};

} // namespace vemora
