#include "base/datetime.h"
#include "calendar/monthcontrol.h"

#include <gtest/gtest.h>

using namespace vemora;

namespace {

// The pop-up's calendar, shown in February 2026 with 2026-12-07 as today.
struct Control {
    MonthCalendarModel model{EncodeDate(2026, 2, 10)};
    MonthCalendarMouse mouse{model, [] { return EncodeDate(2026, 12, 7) + 0.5; }};
    std::vector<bool> captures;
    Control() {
        model.Geometry = CalendarGeometry{153, 169};
        mouse.Place(false);
        mouse.Capture = [this](bool take) { captures.push_back(take); };
    }
    bool TodayDone() const { return model.Month == 12 && model.SelectedDate == EncodeDate(2026, 12, 7); }
};

constexpr int kTodayX = 60, kTodayY = 140, kOffX = 2, kOffY = 2;

} // namespace

TEST(MonthControl, ButtonsActOnTheReleaseTheirPressDecides) {
    struct Case {
        const char* what;
        MouseButton button;
        int releaseX, releaseY;
        bool taken, acts; // taken: the capture, or the pointer, went elsewhere
        std::vector<bool> captures;
    };
    const Case cases[] = {
        {"left, released off the button", MouseButton::Left, kOffX, kOffY, false, true, {true, false}},
        {"left, capture taken by another window", MouseButton::Left, kTodayX, kTodayY, true, false, {true}},
        {"right, released over it", MouseButton::Right, kTodayX, kTodayY, false, true, {}},
        {"right, released off it", MouseButton::Right, kOffX, kOffY, false, false, {}},
        {"middle, released over it", MouseButton::Middle, kTodayX, kTodayY, false, true, {}},
        {"right, pointer left the control", MouseButton::Right, kOffX, kOffY, true, false, {}},
    };
    for (const Case& c : cases) {
        Control t;
        t.mouse.Press(c.button, kTodayX, kTodayY);
        EXPECT_TRUE(t.mouse.TodayButton.Pressed) << c.what;
        t.mouse.Move(kTodayX + 20, kTodayY, true);
        if (c.taken) {
            t.mouse.CaptureLost();
            t.mouse.Leave();
        }
        t.mouse.Release(c.button, c.releaseX, c.releaseY);
        EXPECT_EQ(t.TodayDone(), c.acts) << c.what;
        EXPECT_EQ(t.captures, c.captures) << c.what;
        EXPECT_EQ(t.mouse.Captured(), false) << c.what;
        EXPECT_FALSE(t.mouse.TodayButton.Pressed) << c.what << ": the button comes up";
    }
}

TEST(MonthControl, OtherPressesGoToTheMonth) {
    Control t;
    t.mouse.Press(MouseButton::Right, 110, 140); // where None stands, hidden
    t.mouse.Release(MouseButton::Right, 110, 140);
    EXPECT_EQ(t.model.Month, 2);
    t.mouse.Place(true);
    EXPECT_EQ(t.mouse.TodayButton.bounds, (CalRect{20, 133, 67, 153}));
    t.mouse.Press(MouseButton::Left, 110, 140);
    t.mouse.Release(MouseButton::Left, 110, 140);
    EXPECT_EQ(t.model.SelectedDate, 0) << "None";
    bool surface = false;
    t.mouse.Press(MouseButton::Left, 110, 140, [&] { surface = true; });
    EXPECT_FALSE(surface) << "a press on a button is not the calendar's";
    t.mouse.Release(MouseButton::Left, 110, 140);
    // A drag over the days selects until a move arrives with no button held.
    t.mouse.Press(MouseButton::Left, 150, 5); // right arrow: January 1900
    t.mouse.Press(MouseButton::Middle, 14 + 8, 38 + 7);
    t.mouse.Move(14 + 17 + 8, 38 + 7, true);
    const double dragged = t.model.SelectedDate;
    t.mouse.Move(14 + 34 + 8, 38 + 7, false);
    t.mouse.Move(14 + 51 + 8, 38 + 7, true);
    EXPECT_EQ(t.model.SelectedDate, dragged);
    EXPECT_EQ(DecodeDate(dragged).month, 1);
    EXPECT_FALSE(t.model.Selecting);
}

TEST(MonthControl, ArrowsAndSeparators) {
    const CalendarGeometry g{153, 169};
    EXPECT_EQ(g.LeftArrow(), (std::array<CalPoint, 3>{{{15, 9}, {15, 17}, {11, 13}}}));
    EXPECT_EQ(g.RightArrow(), (std::array<CalPoint, 3>{{{138, 9}, {138, 17}, {142, 13}}}));
    EXPECT_EQ(g.UpperSeparator(), (std::array<CalPoint, 2>{{{15, 36}, {136, 36}}}));
    EXPECT_EQ(g.LowerSeparator(), (std::array<CalPoint, 2>{{{15, 128}, {136, 128}}}));
    EXPECT_EQ(g.TodayButtonBounds(false), (CalRect{53, 133, 100, 153}));
    EXPECT_EQ(g.NoneButtonBounds(), (CalRect{82, 133, 129, 153}));
}
