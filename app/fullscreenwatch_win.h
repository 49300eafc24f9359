#pragma once
// The clock steps aside for a full-screen program: while one is in front on
// the clock's monitor, the clock and its shown companions hide, and they show
// again after it. The tray's click shows the hidden clock for a moment.
#include "base/platform_win.h"

#include <vector>

namespace vemora {

class FullScreenWatch {
public:
    // Once a second: hides or shows `windows` (the clock first) as the window
    // in front asks when `wanted`; shows them again when it is not. True when
    // they have just shown again: a layered window shows nothing of what it
    // was given while hidden, so they are to be drawn afresh.
    bool Check(bool wanted, const std::vector<HWND>& windows);
    bool Hidden() const { return hidden_; }
    // The tray icon's left click: the clock in front of the other windows,
    // without taking the focus. Hidden behind a full-screen program, it shows
    // for a moment and hides again (FlashEnded, on the clock's kFlashTimer),
    // so that the user sees it is there: true then, the clock is to be drawn.
    bool BringForward(HWND clock, bool stayOnTop);
    void FlashEnded(HWND clock, bool stayOnTop);
    static constexpr UINT_PTR kFlashTimer = 3;

private:
    bool hidden_ = false;
    std::vector<HWND> hiddenWindows_; // what the check hid, to show again
};

// The mouse passes through the windows or reaches them again.
void SetClickThrough(const std::vector<HWND>& windows, bool on);

} // namespace vemora
