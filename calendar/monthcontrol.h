#pragma once
#include "calendar/monthmodel.h"

#include <functional>
#include <string>

namespace vemora {

// A windowless push button on the month calendar: the calendar draws it and
// routes the mouse to it.
struct TMiniButton {
    CalRect bounds;
    std::wstring caption;
    int tag = 0; // 0 Today, 1 None
    bool visible = true;
    bool Pressed = false;
    bool Contains(int x, int y) const { return visible && bounds.Contains(x, y); }
};

enum class MouseButton { Left, Right, Middle };

// Where the month calendar's mouse messages go: to its Today and None buttons
// or to the month model. A button acts on the release of any mouse button, not
// on a click. A left press on it takes the mouse, so its release acts wherever
// the pointer is then; a right or middle press does not, so that release acts
// only over the button.
class MonthCalendarMouse {
public:
    MonthCalendarMouse(MonthCalendarModel& model, std::function<double()> today);

    TMiniButton TodayButton, NoneButton;
    // Takes the mouse for the control (true) or lets it go (false).
    std::function<void(bool)> Capture;

    // Shows or hides None; Today stands at 20 beside it, or centred alone.
    void SetShowNoneButton(bool show);
    // A double-click arrives here as a second press.
    void Press(MouseButton button, int x, int y);
    void Release(MouseButton button, int x, int y);
    // anyButtonHeld: a button is down now. Without one the drag-selection ends:
    // a move loop took the release with it, or the release went elsewhere.
    void Move(int x, int y, bool anyButtonHeld);
    // Another window took the mouse from a pressed button: it springs back
    // without acting.
    void CaptureLost();
    // A button holds the mouse: moves neither select nor start a drag.
    bool Captured() const { return captured_ != nullptr; }

private:
    void Repaint(const TMiniButton& button);
    void ButtonMouseUp(TMiniButton& button);

    MonthCalendarModel& model_;
    std::function<double()> today_;
    TMiniButton* captured_ = nullptr;
};

} // namespace vemora
