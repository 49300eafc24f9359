#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"
#include "power/schedule.h"

#include <functional>

namespace vemora {

// The small notice before a timed shutdown or restart: what comes, a
// countdown, 取消 and 立即执行. It sits above other windows at the bottom
// right of the work area and never takes the focus from what the user is
// doing: shown without activation, and a click on it does not activate it.
class ActionNotice : public BaseWindow<ActionNotice> {
public:
    static constexpr const wchar_t* kClassName = L"TVemoraNotice";
    enum Id { kCancelButton = 10, kNowButton };

    // cancel disarms the action; carryOutNow carries it out at once.
    ActionNotice(HWND owner, ErrorReporter& reporter, std::function<void()> cancel, std::function<void()> carryOutNow);

    // Shows the notice, or brings its countdown up to date.
    void Show(ScheduledActionKind kind, int secondsLeft);
    void Hide();

    HWND text = nullptr, cancelButton = nullptr, nowButton = nullptr;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void()> cancel_;
    std::function<void()> carryOutNow_;
    UniqueHfont font_;
};

} // namespace vemora
