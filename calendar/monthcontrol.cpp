#include "calendar/monthcontrol.h"

#include <cmath>

namespace vemora {

MonthCalendarMouse::MonthCalendarMouse(MonthCalendarModel& model, std::function<double()> today)
    : TodayButton{model.Geometry.TodayButtonBounds(false), L"Today", 0, true, false},
      NoneButton{model.Geometry.NoneButtonBounds(), L"None", 1, false, false}, model_(model), today_(std::move(today)) {
}

void MonthCalendarMouse::SetShowNoneButton(bool show) {
    NoneButton.visible = show;
    TodayButton.bounds = model_.Geometry.TodayButtonBounds(show);
}

void MonthCalendarMouse::Repaint(const TMiniButton& button) {
    if (model_.Invalidate)
        model_.Invalidate(button.bounds);
}

void MonthCalendarMouse::ButtonMouseUp(TMiniButton& button) {
    if (button.tag == 0)
        model_.PressToday(std::floor(today_()));
    else
        model_.PressNone();
    button.Pressed = false;
    Repaint(button);
}

void MonthCalendarMouse::Press(MouseButton mouseButton, int x, int y) {
    for (TMiniButton* button : {&TodayButton, &NoneButton})
        if (button->Contains(x, y)) {
            button->Pressed = true;
            if (mouseButton == MouseButton::Left) {
                captured_ = button;
                if (Capture)
                    Capture(true);
            }
            Repaint(*button);
            return;
        }
    model_.MouseDown(x, y);
}

void MonthCalendarMouse::Release(MouseButton mouseButton, int x, int y) {
    if (mouseButton == MouseButton::Left) {
        if (TMiniButton* button = captured_) {
            captured_ = nullptr; // before letting go: losing the capture now is no loss
            if (Capture)
                Capture(false);
            ButtonMouseUp(*button);
            return;
        }
    } else {
        for (TMiniButton* button : {&TodayButton, &NoneButton})
            if (button->Contains(x, y)) {
                ButtonMouseUp(*button);
                return;
            }
    }
    model_.MouseUp();
}

void MonthCalendarMouse::Move(int x, int y, bool anyButtonHeld) {
    if (captured_)
        return;
    if (anyButtonHeld)
        model_.MouseMove(x, y);
    else
        model_.MouseUp();
}

void MonthCalendarMouse::CaptureLost() {
    if (!captured_)
        return;
    captured_->Pressed = false;
    Repaint(*captured_);
    captured_ = nullptr;
}

} // namespace vemora
