#pragma once
#include "calendar/monthmodel.h"

#include <functional>
#include <string>

namespace vemora {

// A windowless push button on the month calendar: the calendar draws it and
// routes the mouse to it. Bounds in designed pixels.
struct MiniButton {
    CalRect bounds;
    std::wstring caption;
    int tag = 0; // 0 Today, 1 None
    bool visible = true;
    bool Pressed = false;
    bool Contains(int x, int y) const { return visible && bounds.Contains(x, y); }
};

enum class MouseButton { Left, Right, Middle };

// Where the month calendar's mouse goes: to its Today and None buttons or to
// the month model. A button acts on the release of the button that pressed
// it, not on a click. A left press on it takes the mouse, so its release acts
// wherever the pointer is then; a right or middle press does not, so that
// release acts only over the button, and leaving the control brings it up.
class MonthCalendarMouse {
public:
    MonthCalendarMouse(MonthCalendarModel& model, std::function<double()> today);

    MiniButton TodayButton, NoneButton;
    // Takes the mouse for the control (true) or lets it go (false).
    std::function<void(bool take)> Capture;
    // Asks to hear when the pointer leaves the control.
    std::function<void()> TrackLeave;

    // Shows or hides None and places both for the model's geometry: Today
    // stands at 20 beside None, or centred alone.
    void Place(bool showNone);
    bool NoneShown() const { return NoneButton.visible; }

    // A press; a double-click arrives as a second press. onSurface runs when
    // the press lands on the calendar itself, before it selects or steps.
    void Press(MouseButton button, int x, int y, const std::function<void()>& onSurface = {});
    void Release(MouseButton button, int x, int y);
    // anyButtonHeld: a button is down now. Without one the drag-selection
    // ends: a move loop took the release with it, or the release went
    // elsewhere. onSurface runs before the drag-selection, unless a button
    // has the mouse.
    void Move(int x, int y, bool anyButtonHeld, const std::function<void()>& onSurface = {});
    void Leave() { ReleaseUncaptured(); }
    // Another window took the mouse from a pressed button: it springs back
    // without acting.
    void CaptureLost();
    bool Captured() const { return captured_ != nullptr; }

private:
    void Repaint(const MiniButton& button);
    void Act(MiniButton& button);
    void ReleaseUncaptured();

    MonthCalendarModel& model_;
    std::function<double()> today_;
    MiniButton* captured_ = nullptr;
};

} // namespace vemora
