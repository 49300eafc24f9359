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
    static constexpr bool kDragsByMouse = true;

    void Show() { ShowWindow(this->hwnd_, SW_SHOWNOACTIVATE); }
    void Close() { ShowWindow(this->hwnd_, SW_HIDE); }
    // The close box, Alt+F4 or WM_CLOSE: hidden as T closes, then OnClosed
    // tells the owner, which switches the window off.
    void CloseRequested() {
        static_cast<T*>(this)->Close();
        if (OnClosed)
            OnClosed();
    }
    std::function<void()> OnClosed;
    // Closing and dragging, through the window base, unless T answers more.
    std::optional<LRESULT> HandleMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

protected:
    explicit CompanionWindow(ErrorReporter& reporter) : BaseWindow<T>(reporter) {}
};

} // namespace vemora
