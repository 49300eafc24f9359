#include "app/placement.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vemora;

TEST(DpiScaling, RoundsToTheNearestPixel) {
    struct Case {
        int length, dpi, scaled;
    };
    const Case cases[] = {
        {230, 96, 230}, {55, 96, 55},    {230, 144, 345}, {55, 144, 83},   {55, 120, 69},  {38, 144, 57},
        {16, 120, 20},  {230, 192, 460}, {11, 144, 17},   {-11, 144, -17}, {-11, 96, -11}, {0, 192, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleForDpi(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;

    // Rectangles that touch at 96 per inch still touch: edges are scaled, not widths.
    const PixelRect edit = ScaleRectForDpi({138, 42, 171, 64}, 144), arrows = ScaleRectForDpi({171, 42, 187, 64}, 144);
    EXPECT_EQ(edit.right, arrows.left);
    EXPECT_EQ(edit, (PixelRect{207, 63, 257, 96}));

    // Pointer to design and repaint areas back: every device pixel maps into
    // the designed window, and a designed cell is covered whole.
    EXPECT_EQ(DesignPixel(229, 144), 152);
    EXPECT_EQ(DesignPixel(-1, 144), -1);
    EXPECT_EQ(DesignPixel(100, 96), 100);
    EXPECT_EQ(CoverRectForDpi({15, 38, 32, 53}, 144), (PixelRect{22, 57, 48, 80}));
    EXPECT_EQ(CoverRectForDpi({15, 38, 32, 53}, 96), (PixelRect{15, 38, 32, 53}));
}

namespace {

const MonitorArea kLaptop{{0, 0, 1280, 1024}, 96, true};
const MonitorArea kRightHiDpi{{1280, -200, 4160, 1420}, 144, false};
const MonitorArea kLeftScaled{{-1000, 0, 0, 800}, 192, false};

} // namespace

TEST(ClockPlacement, StartsWhereStoredWhileSeenElseTopRightOfThePrimary) {
    struct Case {
        const char* name;
        std::optional<ScreenPoint> stored;
        std::vector<MonitorArea> monitors;
        ClockPlace expected;
    };
    const ClockPlace topRight{{1280 - 230, 0}, 96};
    const Case cases[] = {
        {"none stored", std::nullopt, {kLaptop, kRightHiDpi}, topRight},
        {"stored on the primary", ScreenPoint{300, 400}, {kLaptop, kRightHiDpi}, {{300, 400}, 96}},
        {"stored on a monitor of 144", ScreenPoint{3000, -150}, {kLaptop, kRightHiDpi}, {{3000, -150}, 144}},
        {"partly off, still seen", ScreenPoint{-100, -20}, {kLaptop}, {{-100, -20}, 96}},
        {"off every screen", ScreenPoint{5000, 5000}, {kLaptop, kRightHiDpi}, topRight},
        {"its monitor unplugged", ScreenPoint{3000, -150}, {kLaptop}, topRight},
        {"touching the right edge only", ScreenPoint{1280, 0}, {kLaptop}, topRight},
        // At 192 the clock is 460 wide: from -1300 it reaches into the left monitor.
        {"seen only at that monitor's size", ScreenPoint{-1300, 10}, {kLaptop, kLeftScaled}, {{-1300, 10}, 192}},
        {"primary listed second", std::nullopt, {kRightHiDpi, kLaptop}, topRight},
        {"primary at 144", std::nullopt, {{{0, 0, 1920, 1080}, 144, true}}, {{1920 - 345, 0}, 144}},
        // Hand-edited corners at the integer limits.
        {"PosLeft=2147483647", ScreenPoint{INT_MAX, 0}, {kLaptop, kLeftScaled}, topRight},
        {"PosTop=2147483647", ScreenPoint{0, INT_MAX}, {kLaptop, kLeftScaled}, topRight},
        {"both at the lower limit", ScreenPoint{INT_MIN, INT_MIN}, {kLaptop, kLeftScaled}, topRight},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartPlace(c.stored, c.monitors), c.expected) << c.name;
    // The far edges are not wrapped round to the other end of the integers.
    const PixelRect far = ClockRectAt({INT_MAX, INT_MAX}, 192);
    EXPECT_GT(far.right, far.left);
    EXPECT_GT(far.bottom, far.top);
}

// The face's size counts wherever the clock's rectangle does: at the top
// right its right edge stays on the screen's, and a stored corner is seen by
// the clock at its own size.
TEST(ClockPlacement, TheFaceSizesTheClock) {
    struct Case {
        const char* name;
        ClockFace face;
        std::optional<ScreenPoint> stored;
        ClockPlace expected;
        int width, height;
    };
    const ClockFace large{true, false, false, 150}, small{true, false, false, 50}, dated{true, true, true, 100};
    const Case cases[] = {
        {"Scale=150", large, std::nullopt, {{1280 - 345, 0}, 96}, 345, 83},
        {"Scale=50", small, std::nullopt, {{1280 - 115, 0}, 96}, 115, 28},
        {"Hour12 and the date", dated, std::nullopt, {{1280 - 270, 0}, 96}, 270, 79},
        // 1280 - 300 is off the laptop at 115 wide but on it at 345.
        {"seen only at its larger size", large, ScreenPoint{-300, 10}, {{-300, 10}, 96}, 345, 83},
        {"not seen at its smaller size", small, ScreenPoint{-120, 10}, {{1280 - 115, 0}, 96}, 115, 28},
    };
    for (const Case& c : cases) {
        const ClockPlace place = StartPlace(c.stored, {kLaptop}, c.face);
        EXPECT_EQ(place, c.expected) << c.name;
        const PixelRect r = ClockRectAt(place.topLeft, place.dpi, c.face);
        EXPECT_EQ(r.Width(), c.width) << c.name;
        EXPECT_EQ(r.Height(), c.height) << c.name;
    }
}

TEST(ClockPlacement, ADisplayChangeBringsBackOnlyAClockOffEveryScreen) {
    const PixelRect onRight = ClockRectAt({3000, 100}, 144);
    EXPECT_EQ(PlaceAfterDisplayChange(onRight, {kLaptop, kRightHiDpi}), std::nullopt);
    EXPECT_EQ(PlaceAfterDisplayChange(ClockRectAt({1200, 0}, 96), {kLaptop}), std::nullopt) << "partly seen";
    EXPECT_EQ(PlaceAfterDisplayChange(onRight, {kLaptop}), (ClockPlace{{1050, 0}, 96}));
    EXPECT_EQ(PlaceAfterDisplayChange(ClockRectAt({100, 100}, 96), {{{0, 0, 1920, 1080}, 192, true}}), std::nullopt);
    EXPECT_EQ(PlaceAfterDisplayChange(ClockRectAt({2000, 100}, 96), {{{0, 0, 1920, 1080}, 192, true}}),
              (ClockPlace{{1920 - 460, 0}, 192}))
        << "the resolution changed with the monitors";
}

TEST(Placement, CompanionsByTheClock) {
    const PixelRect clock{1050, 0, 1280, 55}; // 230 x 55 at the top right of a 1280-pixel screen
    struct Case {
        Companion companion;
        int width;
        ScreenPoint at;
    };
    const Case cases[] = {
        {Companion::WeatherStrip, 461, {1050, 47}},
        {Companion::Calendar, 153, {1060, 90}},
        {Companion::Horoscope, 300, {1040, 55}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompanionPlace(c.companion, clock, c.width, 1280), c.at) << static_cast<int>(c.companion);
    EXPECT_EQ(CompanionPlace(Companion::Horoscope, {40, 500, 270, 555}, 300, 1280), (ScreenPoint{1040, 555}))
        << "the panel keeps to the screen's edge wherever the clock is";
    EXPECT_EQ(CompanionPlace(Companion::Calendar, {1000, 0, 1345, 83}, 230, 1920, 144), (ScreenPoint{1015, 136}))
        << "offsets at the clock's resolution";
}

TEST(Placement, KeptInsideTheWorkArea) {
    const PixelRect work{0, 0, 1280, 984}; // a 1280 x 1024 screen above a 40-pixel taskbar
    struct Case {
        ScreenPoint at;
        int width, height;
        ScreenPoint kept;
        const char* why;
    };
    const Case cases[] = {
        {{768, 55}, 512, 512, {768, 55}, "inside: left as it is"},
        {{828, 55}, 512, 512, {768, 55}, "past the right edge"},
        {{768, 600}, 512, 512, {768, 472}, "under the clock low on the screen: lifted above the taskbar"},
        {{-30, -8}, 512, 512, {0, 0}, "past the left and top edges"},
        {{100, 100}, 1500, 1200, {0, 0}, "larger than the area: its top left corner inside"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeepInside(c.at, c.width, c.height, work), c.kept) << c.why;
    EXPECT_EQ(KeepInside({2000, 1000}, 512, 512, {1280, 24, 2560, 1024}), (ScreenPoint{2000, 512}))
        << "a second monitor's area";
}

// A clock whose face grew or shrank: never dragged, it keeps its top right
// corner; dragged, the corner nearest the area's edges; always inside.
TEST(Placement, AClockOfAnotherSizeKeepsItsCorner) {
    const PixelRect work{0, 0, 1280, 984};
    struct Case {
        const char* why;
        PixelRect clock;
        int width, height;
        bool dragged;
        ScreenPoint at;
    };
    const Case cases[] = {
        {"top right, 300 %", {1050, 0, 1280, 55}, 690, 165, false, {590, 0}},
        {"top right, back to 100 %", {590, 0, 1280, 165}, 230, 55, false, {1050, 0}},
        {"dragged near the top left", {40, 30, 270, 85}, 690, 165, true, {40, 30}},
        {"dragged near the bottom right", {1000, 900, 1230, 955}, 345, 83, true, {885, 872}},
        {"dragged near the bottom left", {10, 900, 240, 955}, 270, 79, true, {10, 876}},
        {"never dragged, larger than the area allows", {1050, 0, 1280, 55}, 1500, 165, false, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RefitClock(c.clock, c.width, c.height, c.dragged, work), c.at) << c.why;
}

// A companion shown while another stands where it would go.
TEST(Placement, ACompanionDoesNotCoverAnother) {
    const PixelRect work{0, 0, 1280, 984};
    const PixelRect clockRight{1050, 0, 1280, 55}, clockLeft{20, 0, 250, 55};
    struct Case {
        const char* why;
        ScreenPoint wanted;
        int width, height;
        PixelRect taken, clock;
        ScreenPoint at;
    };
    const Case cases[] = {
        {"apart: its place", {1060, 90}, 153, 169, {0, 600, 300, 900}, clockRight, {1060, 90}},
        {"clock on the right: left of the other", {1060, 90}, 153, 169, {906, 77, 1271, 549}, clockRight, {753, 90}},
        {"clock on the left: right of the other", {30, 90}, 153, 169, {10, 77, 375, 549}, clockLeft, {375, 90}},
        {"no room beside: its place", {30, 90}, 153, 169, {0, 77, 1200, 549}, clockLeft, {30, 90}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AvoidCovering(c.wanted, c.width, c.height, c.taken, c.clock, work), c.at) << c.why;
}
