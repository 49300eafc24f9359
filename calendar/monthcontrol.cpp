#include "calendar/monthcontrol.h"

#include <cmath>

namespace vemora {

MonthCalendarMouse::MonthCalendarMouse(MonthCalendarModel& model, std::function<double()> today)
    : TodayButton{model.Geometry.TodayButtonBounds(false), L"Today", 0, true, false},
      NoneButton{model.Geometry.NoneButtonBounds(), L"None", 1, false, false}, model_(model), today_(std::move(today)) {
}

void MonthCalendarMouse::Place(bool showNone) {
    NoneButton.visible = showNone;
    TodayButton.bounds = model_.Geometry.TodayButtonBounds(showNone);
    NoneButton.bounds = model_.Geometry.NoneButtonBounds();
}

void MonthCalendarMouse::Repaint(const MiniButton& button) {
    if (model_.Invalidate)
        model_.Invalidate(button.bounds);
}

void MonthCalendarMouse::Act(MiniButton& button) {
    if (button.tag == 0)
        model_.PressToday(std::floor(today_()));
    else
        model_.PressNone();
    button.Pressed = false;
    Repaint(button);
}

void MonthCalendarMouse::ReleaseUncaptured() {
    for (MiniButton* button : {&TodayButton, &NoneButton})
        if (button->Pressed && button != captured_) {
            button->Pressed = false;
            Repaint(*button);
        }
}

void MonthCalendarMouse::Press(MouseButton mouseButton, int x, int y, const std::function<void()>& onSurface) {
    for (MiniButton* button : {&TodayButton, &NoneButton})
        if (button->Contains(x, y)) {
            button->Pressed = true;
            if (mouseButton == MouseButton::Left) {
                captured_ = button;
                if (Capture)
                    Capture(true);
            } else if (TrackLeave) {
                TrackLeave();
            }
            Repaint(*button);
            return;
        }
    if (onSurface)
        onSurface();
    model_.MouseDown(x, y);
}

void MonthCalendarMouse::Release(MouseButton mouseButton, int x, int y) {
    if (mouseButton == MouseButton::Left && captured_) {
        MiniButton* button = captured_;
        captured_ = nullptr; // before letting go: losing the capture now is no loss
        if (Capture)
            Capture(false);
        Act(*button);
        return;
    }
    if (mouseButton != MouseButton::Left)
        for (MiniButton* button : {&TodayButton, &NoneButton})
            if (button->Contains(x, y)) {
                Act(*button);
                ReleaseUncaptured();
                return;
            }
    // Released off the button it pressed: no action, and the button comes up.
    ReleaseUncaptured();
    model_.MouseUp();
}

void MonthCalendarMouse::Move(int x, int y, bool anyButtonHeld, const std::function<void()>& onSurface) {
    if (captured_)
        return; // the button has the mouse: no drag starts on it
    if (onSurface)
        onSurface();
    if (!anyButtonHeld) {
        ReleaseUncaptured();
        model_.MouseUp();
        return;
    }
    model_.MouseMove(x, y);
}

void MonthCalendarMouse::CaptureLost() {
    if (!captured_)
        return;
    captured_->Pressed = false;
    Repaint(*captured_);
    captured_ = nullptr;
}

} // namespace vemora
