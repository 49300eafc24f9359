// The real Vemora.exe driven by real input: pointer and keys go through the
// system's input queue, as a person's do, and reach whichever window is under
// the pointer or has the focus.
#include "clockprocess.h"
#include "helpers.h"
#include "testserver.h"

#include "power/timedactiondialog_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace vemora;
using namespace vemora::e2e;
using namespace vemora::test;

namespace {

// The pointer to p, then the left button down or up (flags), given time to
// arrive.
void Mouse(POINT p, DWORD flags = 0) {
    SendPointer(p, flags);
    Sleep(60);
}

POINT Centre(HWND w) {
    const RECT r = WindowRect(w);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A click on a control of the test's own window, which must be in sight:
// other tests run beside this one on the same display.
void Click(HWND control) {
    const POINT p = Centre(control);
    ASSERT_EQ(GetAncestor(WindowFromPoint(p), GA_ROOT), GetAncestor(control, GA_ROOT));
    Mouse(p, MOUSEEVENTF_LEFTDOWN);
    Mouse(p, MOUSEEVENTF_LEFTUP);
}

// A key for the window in front, which must be the test's own.
void Key(HWND front, WORD vk) {
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == front; }, 2000)) << "the dialog is in front";
    for (DWORD flags : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
        INPUT in{INPUT_KEYBOARD};
        in.ki.wVk = vk;
        in.ki.dwFlags = flags;
        SendInput(1, &in, sizeof in);
        Sleep(60);
    }
}

// A bright point of the window's picture, searched from the middle row
// outwards; with onlyWherePointerReaches, only a point where the pointer
// reaches the window.
POINT BrightPointOf(HWND window, bool onlyWherePointerReaches) {
    const RECT r = WindowRect(window);
    ScopedWindowDC screen(nullptr);
    const int middle = (r.top + r.bottom) / 2;
    for (int d = 0; d < (r.bottom - r.top) / 2; d += 2)
        for (int y : {middle + d, middle - d})
            for (int x = r.left + 4; x < r.right - 4; x += 2) {
                const POINT p{x, y};
                const COLORREF c = GetPixel(screen.get(), x, y);
                if ((!onlyWherePointerReaches || GetAncestor(WindowFromPoint(p), GA_ROOT) == window) &&
                    GetRValue(c) + GetGValue(c) + GetBValue(c) > 450)
                    return p;
            }
    return POINT{-1, -1};
}

// A point of the window where the pointer reaches it and something is drawn
// (a layered window takes the pointer only over its painted pixels).
POINT PaintedPointOf(HWND window) {
    return BrightPointOf(window, true);
}

// A bright pixel of the clock's digits, found by the picture alone: a clock
// that lets the mouse through is never the window under the pointer.
POINT DigitPointOf(HWND window) {
    return BrightPointOf(window, false);
}

// The pointer and keys through the X server, exactly as a person's arrive:
// xdotool, a Unix program that Wine starts like any other. Wine cannot wait
// for a Unix process, so the input is given time to arrive.
const wchar_t kXdotool[] = L"Z:\\usr\\bin\\xdotool";

bool XdotoolPresent() {
    return GetFileAttributesW(kXdotool) != INVALID_FILE_ATTRIBUTES;
}

void Xdotool(const std::wstring& arguments) {
    std::wstring command = std::wstring(kXdotool) + L" " + arguments;
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    Pump(400);
}

// A drag as a person's pointer makes it, through the X server: pressed at
// from, moved by (dx, dy) in steps of at most 10 pixels 50 ms apart (a faster
// pointer leaves a layered window's pixels before it follows), released.
void XDrag(POINT from, int dx, int dy) {
    const int steps = std::max({1, (std::abs(dx) + 9) / 10, (std::abs(dy) + 9) / 10});
    std::wstring command =
        L"mousemove " + std::to_wstring(from.x) + L" " + std::to_wstring(from.y) + L" sleep 0.1 mousedown 1 sleep 0.1";
    for (int i = 1; i <= steps; ++i)
        command += L" mousemove " + std::to_wstring(from.x + dx * i / steps) + L" " +
                   std::to_wstring(from.y + dy * i / steps) + L" sleep 0.05";
    command += L" mouseup 1";
    Xdotool(command);
}

HWND StartedClock(ClockProcess& clock) {
    HWND main = clock.WaitForWindow(L"Tfrmmain");
    if (main)
        WaitFor([&] { return IsWindowVisible(main) && DigitPointOf(main).x >= 0; }, 15000);
    return main;
}

// The folder, its settings file written with these options first.
const TempFolder& WithOptions(const TempFolder& folder, const std::string& options) {
    WriteFileBytes(folder.File(L"clockset.ini"), "[Option]\r\nwake=0\r\n" + options);
    return folder;
}

// Vemora.exe started in a folder of its own with these settings options, its
// digits on the screen (main is null when the clock never came up).
struct RunningClock {
    explicit RunningClock(const std::string& options)
        : process(WithOptions(folder, options)), main(StartedClock(process)) {}
    TempFolder folder;
    ClockProcess process;
    HWND main;
};

HttpReply Provider(const std::string& target) {
    if (target.rfind("/iframe/astro/", 0) == 0)
        return HttpReply{200, "text/html; charset=gbk", std::string(200, ' ') + "<div class=\"lotconts\">x</div>"};
    return HttpReply{200, "text/html; charset=gbk", WideToGbk(L"<a href=/n>南京</a><a href=/w>晴转多云</a>")};
}

} // namespace

// Each window follows a person's pointer to where the button is released,
// pressed on what it draws, moved in small steps through the X server.
TEST(RealInput, DraggingMovesEachWindowByThePointersOffset) {
    if (!XdotoolPresent())
        GTEST_SKIP() << "xdotool is not installed";
    LocalHttpServer server(Provider);
    TempFolder folder;
    WriteFileBytes(folder.File(L"clockset.ini"), "[Option]\r\nweather=1\r\nshowxz=1\r\nwake=0\r\nWeatherHost=" +
                                                     server.Host() + "\r\nXingzuoHost=" + server.Host() + "\r\n");
    ClockProcess clock(folder);
    HWND main = clock.WaitForWindow(L"Tfrmmain");
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, kMenuCalendar, 0);
    // Out of the way of the other tests' windows (the clocks stand at the top
    // right, the dialogs in the middle), in this order, each dragged away
    // from the ones still to come.
    const struct {
        const wchar_t* cls;
        POINT at;
    } windows[] = {
        {L"Tfrmcal", {320, 10}}, {L"Tfrmxingzuo", {0, 300}}, {L"Tfrmweather", {60, 120}}, {L"Tfrmmain", {60, 10}}};
    for (const auto& [cls, at] : windows) {
        HWND w = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (w = clock.FindWindowOfClass(cls)) && IsWindowVisible(w); }, 15000))
            << WideToUtf8(cls);
        SetWindowPos(w, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const auto& [cls, at] : windows)
        ASSERT_TRUE(WaitFor([&] { return PaintedPointOf(clock.FindWindowOfClass(cls)).x >= 0; }, 15000))
            << WideToUtf8(cls) << " is drawn";
    HWND strip = clock.FindWindowOfClass(L"Tfrmweather");
    for (const auto& [cls, at] : windows) {
        SCOPED_TRACE(WideToUtf8(cls));
        HWND w = clock.FindWindowOfClass(cls);
        const POINT from = PaintedPointOf(w);
        ASSERT_GE(from.x, 0) << "a point of the window in sight";
        const RECT before = WindowRect(w);
        XDrag(from, 60, 50);
        RECT after{};
        WaitFor([&] { return (after = WindowRect(w)).left == before.left + 60 && after.top == before.top + 50; });
        EXPECT_NEAR(after.left - before.left, 60, 2);
        EXPECT_NEAR(after.top - before.top, 50, 2);
        if (w == main) {
            const RECT s = WindowRect(strip);
            EXPECT_EQ(s.left, after.left) << "the weather strip follows the clock";
            EXPECT_EQ(s.top, after.bottom - 8);
        }
        // The button is up: moving over the window moves nothing. The release
        // is given a moment to reach the window first, as a person's would.
        Sleep(250);
        Xdotool(L"mousemove " + std::to_wstring(from.x + 62) + L" " + std::to_wstring(from.y + 51));
        const RECT hovered = WindowRect(w);
        EXPECT_TRUE(EqualRect(&hovered, &after));
    }
    EXPECT_TRUE(clock.MessageBoxTexts().empty());
}

// Ten steps of 10 pixels and the release: the clock ends where the button
// went up, not after the first step.
TEST(RealInput, ADragEndsWhereTheButtonIsReleased) {
    if (!XdotoolPresent())
        GTEST_SKIP() << "xdotool is not installed";
    const RunningClock clock("PosLeft=60\r\nPosTop=200\r\n");
    ASSERT_NE(clock.main, nullptr);
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        // Right, back left, right again: each drag starts where the last one
        // ended, once the clock has stood still there for a moment (moving it
        // from this process races the X server's own idea of its place).
        const int dx = attempt % 2 == 0 ? 100 : -100;
        RECT before = WindowRect(clock.main);
        ASSERT_TRUE(WaitFor(
            [&] {
                Sleep(300);
                const RECT now = WindowRect(clock.main);
                const bool still = now.left == before.left && now.top == before.top;
                before = now;
                return still;
            },
            5000));
        POINT from{-1, -1};
        ASSERT_TRUE(WaitFor([&] { return (from = PaintedPointOf(clock.main)).x >= 0; }, 15000)) << "the clock is drawn";
        XDrag(from, dx, 0);
        RECT after{};
        WaitFor([&] { return std::abs((after = WindowRect(clock.main)).left - before.left - dx) <= 2; }, 3000);
        EXPECT_NEAR(after.left - before.left, dx, 2);
        EXPECT_NEAR(after.top - before.top, 0, 2);
    }
}

TEST(RealInput, EnterInTheTimedActionDialogArmsOnlyThroughOk) {
    const RunningClock clock("");
    ASSERT_NE(clock.main, nullptr);
    PostMessageW(clock.main, WM_COMMAND, kMenuTimedAction, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (dialog = clock.process.FindWindowOfClass(L"Tfrmshutdown")) && IsWindowVisible(dialog); }));
    // Out of the middle of the screen, where the other tests' dialogs open.
    auto putAside = [&] { SetWindowPos(dialog, nullptr, 20, 380, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); };
    putAside();
    auto item = [&](int id) { return GetDlgItem(dialog, id); };
    HWND ok = item(TimedActionDialog::kOkButton);
    // The alarm sound, should anything arm.
    SendMessageW(item(TimedActionDialog::kAlarmChoice), BM_CLICK, 0, 0);
    // Enter in 时, 分 and N分钟, on a focused 重设 and on a radio button arms nothing.
    for (int id : {TimedActionDialog::kHourEdit, TimedActionDialog::kMinuteEdit, TimedActionDialog::kMinutesEdit,
                   TimedActionDialog::kResetButton, TimedActionDialog::kAfterMinutes}) {
        SCOPED_TRACE(id);
        Click(item(id));
        Key(dialog, VK_RETURN);
        Sleep(300);
        EXPECT_TRUE(IsWindowEnabled(ok)) << "not armed";
        EXPECT_TRUE(IsWindowVisible(dialog));
    }
    // 确定 arms and disables itself; the focus moves on, so Esc still closes.
    Click(ok);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(ok); })) << "armed";
    Key(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); })) << "Esc closes the dialog";
    // Reopened while armed: Enter on a focused 退出 presses 退出.
    PostMessageW(clock.main, WM_COMMAND, kMenuTimedAction, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(dialog); }));
    putAside();
    EXPECT_FALSE(IsWindowEnabled(ok));
    // The focus on 退出 without pressing it: a press released off the button.
    const POINT exit = Centre(item(TimedActionDialog::kCloseButton));
    ASSERT_EQ(GetAncestor(WindowFromPoint(exit), GA_ROOT), dialog);
    Mouse(exit, MOUSEEVENTF_LEFTDOWN);
    Mouse(POINT{exit.x, exit.y + 40}, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(IsWindowVisible(dialog));
    Key(dialog, VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); })) << "Enter on 退出 closes the dialog";
    EXPECT_TRUE(clock.process.Running());
}

namespace {

void RightClick(POINT p) {
    Xdotool(L"mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y) + L" click 3");
}

// A popup menu of the clock's process on the screen.
bool MenuShown(const ClockProcess& clock) {
    struct Search {
        DWORD process;
        bool found;
    } search{clock.Id(), false};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (process == s->process && IsWindowVisible(w) && std::wstring(name) == L"#32768")
                s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool PassesMouse(HWND window) {
    return GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT;
}

// A window of the test's own covering the clock's whole monitor, in front,
// as a film or a game would be.
class FullScreenWindow {
public:
    explicit FullScreenWindow(HWND clock) {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        wc.lpszClassName = L"VemoraTestFullScreen";
        RegisterClassExW(&wc);
        MONITORINFO monitor{sizeof monitor};
        GetMonitorInfoW(MonitorFromWindow(clock, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& m = monitor.rcMonitor;
        window_ = CreateWindowExW(0, wc.lpszClassName, L"full screen", WS_POPUP, m.left, m.top, m.right - m.left,
                                  m.bottom - m.top, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
    }
    ~FullScreenWindow() { Close(); }
    void Close() {
        if (window_)
            DestroyWindow(window_);
        window_ = nullptr;
    }
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

} // namespace

TEST(RealInput, FirstRightClickOnAFreshStartOpensTheMenu) {
    if (!XdotoolPresent())
        GTEST_SKIP() << "xdotool is not installed";
    const RunningClock clock("TrayIcon=1\r\n");
    ASSERT_NE(clock.main, nullptr);
    const POINT digits = PaintedPointOf(clock.main);
    ASSERT_GE(digits.x, 0);
    RightClick(digits);
    EXPECT_TRUE(WaitFor([&] { return MenuShown(clock.process); }, 2000)) << "the first right click opens the menu";
    Xdotool(L"key Escape");
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(clock.process); }, 2000));
    // The same menu from the tray icon, at once too.
    PostMessageW(clock.main, ClockWindow::kTrayMessage, 1, WM_RBUTTONUP);
    EXPECT_TRUE(WaitFor([&] { return MenuShown(clock.process); }, 2000)) << "the tray icon's menu";
    Xdotool(L"key Escape");
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(clock.process); }, 2000));
    EXPECT_TRUE(clock.process.MessageBoxTexts().empty());
}

// The mouse passes through the clock: right clicks on its digits open
// nothing; the tray icon's menu switches it off, and the clock's own right
// click works again. Wine under Xvfb has no notification area to click, so
// the icon's right click is the message the shell would send.
TEST(RealInput, ClickThroughLetsRightClicksPassUntilTheTrayMenuEndsIt) {
    if (!XdotoolPresent())
        GTEST_SKIP() << "xdotool is not installed";
    const RunningClock clock("ClickThrough=1\r\n");
    ASSERT_NE(clock.main, nullptr);
    EXPECT_TRUE(PassesMouse(clock.main));
    const POINT digits = DigitPointOf(clock.main);
    ASSERT_GE(digits.x, 0);
    for (int click = 0; click < 2; ++click) {
        RightClick(digits);
        EXPECT_FALSE(WaitFor([&] { return MenuShown(clock.process); }, 700)) << "click " << click + 1;
    }
    PostMessageW(clock.main, ClockWindow::kTrayMessage, 1, WM_RBUTTONUP);
    ASSERT_TRUE(WaitFor([&] { return MenuShown(clock.process); }, 2000)) << "the tray icon's menu";
    Xdotool(L"key p"); // 鼠标穿透(&P)
    EXPECT_TRUE(WaitFor([&] { return !PassesMouse(clock.main); }, 2000)) << "click-through switched off";
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(clock.process); }, 2000));
    RightClick(digits);
    EXPECT_TRUE(WaitFor([&] { return MenuShown(clock.process); }, 2000)) << "the clock has its mouse back";
    Xdotool(L"key Escape");
    EXPECT_TRUE(clock.process.MessageBoxTexts().empty()) << "nothing is said when the mouse comes back";
}

TEST(RealInput, FullScreenProgramInFrontHidesTheClockUnlessSwitchedOff) {
    for (const bool hide : {true, false}) {
        SCOPED_TRACE(hide ? "HideFullScreen=1" : "HideFullScreen=0");
        TempFolder folder;
        WriteFileBytes(folder.File(L"clockset.ini"),
                       std::string("[Option]\r\nwake=0\r\nweather=0\r\nHideFullScreen=") + (hide ? "1" : "0") + "\r\n");
        ClockProcess clock(folder);
        HWND main = StartedClock(clock);
        ASSERT_NE(main, nullptr);
        FullScreenWindow film(main);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == film.Handle(); }, 1000));
        if (!hide) {
            Pump(2500);
            EXPECT_TRUE(IsWindowVisible(main)) << "the clock stays";
            continue;
        }
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 1500)) << "hidden within 1.5 s";
        Pump(1200);
        EXPECT_FALSE(IsWindowVisible(main)) << "stays hidden while the program is in front";
        film.Close();
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main); }, 1500)) << "back within 1.5 s";
        EXPECT_TRUE(WaitFor([&] { return DigitPointOf(main).x >= 0; }, 1500)) << "and drawn";
        EXPECT_NE(GetForegroundWindow(), main) << "without taking the foreground";
        EXPECT_TRUE(clock.MessageBoxTexts().empty());
    }
}
