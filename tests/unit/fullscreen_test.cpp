#include "app/fullscreen.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(FullScreen, WhatHidesTheClock) {
    const PixelRect monitor{1280, 0, 2560, 1024}; // the clock's, right of the primary one
    const PixelRect whole = monitor;
    const struct Case {
        const char* what;
        ForegroundWindow front;
        ShellBusyState shell;
        bool hides;
    } cases[] = {
        {"a program covering the monitor", {true, false, L"Film", whole}, ShellBusyState::Free, true},
        {"its frame hanging over the edges",
         {true, false, L"Film", {1272, -8, 2568, 1032}},
         ShellBusyState::Free,
         true},
        {"a maximised window with its caption",
         {true, false, L"Browser", {1272, -8, 2568, 1032}, true},
         ShellBusyState::Free,
         false},
        {"one pixel short at the bottom", {true, false, L"Film", {1280, 0, 2560, 1023}}, ShellBusyState::Free, false},
        {"full screen on the other monitor",
         {true, false, L"Film", {0, 0, 1280, 1024}},
         ShellBusyState::Unknown,
         false},
        {"the desktop", {true, false, L"Progman", whole}, ShellBusyState::Free, false},
        {"the desktop's worker", {true, false, L"WorkerW", whole}, ShellBusyState::Free, false},
        {"the system's desktop window", {true, false, L"#32769", whole}, ShellBusyState::Free, false},
        {"the taskbar", {true, false, L"Shell_TrayWnd", whole}, ShellBusyState::Free, false},
        {"one of ours", {true, true, L"Tfrmcal", whole}, ShellBusyState::Free, false},
        {"nothing in front", {}, ShellBusyState::Unknown, false},
        {"the shell: a full-screen program", {}, ShellBusyState::Busy, true},
        {"the shell: a Direct3D game", {true, true, L"Tfrmmain", {}}, ShellBusyState::FullScreenDirect3D, true},
        {"the shell: a presentation", {}, ShellBusyState::Presentation, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FullScreenInFront(c.front, monitor, c.shell), c.hides) << c.what;
}
