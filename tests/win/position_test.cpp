// Where the clock stands: kept from the user's drag, used at the next start
// while it can be seen, and brought back when the monitors change.
#include "base/dpi_win.h"

#include "harness.h"

using namespace vemora;
using namespace vemora::test;

namespace {

using ClockPosition = ClockFixture;

POINT TopLeft(HWND window) {
    const RECT r = WindowRect(window);
    return {r.left, r.top};
}

void MoveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace

TEST_F(ClockPosition, OnlyTheUsersDragIsKeptAndWrittenWithTheSettings) {
    ClockWindow& clock = Create(true);
    HWND w = clock.Handle();
    MoveTo(w, 300, 400); // the program's own move
    EXPECT_FALSE(main->CurrentSettings().posLeft);
    // The system's move loop.
    SendMessageW(w, WM_ENTERSIZEMOVE, 0, 0);
    MoveTo(w, 310, 420);
    SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(main->CurrentSettings().posLeft, 310);
    EXPECT_EQ(main->CurrentSettings().posTop, 420);
    // A drag of the clock's own, under its mouse capture.
    SetCapture(w);
    MoveTo(w, 320, 430);
    ReleaseCapture();
    MoveTo(w, 0, 0);
    EXPECT_EQ(main->CurrentSettings().posLeft, 320);
    EXPECT_EQ(main->CurrentSettings().posTop, 430);
    clock.Exit();
    EXPECT_EQ(IniValue(IniPath(), "PosLeft"), "320");
    EXPECT_EQ(IniValue(IniPath(), "PosTop"), "430");
}

TEST_F(ClockPosition, StartsWhereStoredWhileOnAScreen) {
    const POINT topRight{GetSystemMetrics(SM_CXSCREEN) - ScaleForDpi(230, WindowDpi(GetDesktopWindow())), 0};
    const struct {
        const char* ini;
        POINT expected;
    } cases[] = {
        {"", topRight},
        {"PosLeft=100\r\nPosTop=300\r\n", {100, 300}},
        {"PosLeft=20000\r\nPosTop=300\r\n", topRight},
    };
    for (const auto& c : cases) {
        WriteIni(std::string("[Option]\r\n") + c.ini);
        ClockWindow& clock = Create(true);
        const POINT at = TopLeft(clock.Handle());
        EXPECT_EQ(at.x, c.expected.x) << c.ini;
        EXPECT_EQ(at.y, c.expected.y) << c.ini;
        main.reset();
    }
    // Never dragged: nothing of a position is written.
    WriteIni("");
    Create(true).Exit();
    EXPECT_EQ(IniValue(IniPath(), "PosLeft"), "<missing>");
    EXPECT_EQ(IniValue(IniPath(), "PosTop"), "<missing>");
}

TEST_F(ClockPosition, AChangeOfMonitorsBringsBackOnlyAClockOffEveryScreen) {
    ClockWindow& clock = Create(true);
    HWND w = clock.Handle();
    const POINT home = TopLeft(w);
    MoveTo(w, 100, 100);
    SendMessageW(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_EQ(TopLeft(w).x, 100) << "still seen: left where it is";
    MoveTo(w, 9000, 7000);
    SendMessageW(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_EQ(TopLeft(w).x, home.x);
    EXPECT_EQ(TopLeft(w).y, home.y);
}
