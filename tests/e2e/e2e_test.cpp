// The real Vemora.exe under Wine: started in a folder with a prepared
// clockset.ini, found by its window class, closed as a user would close it.
#include "clockprocess.h"
#include "helpers.h"

#include <gtest/gtest.h>

using namespace vemora;
using namespace vemora::e2e;
using vemora::test::IniValue;
using vemora::test::TempFolder;
using vemora::test::WriteFileBytes;

TEST(EndToEnd, StartsFromThePreparedFileAndWritesAllKeysOnClose) {
    TempFolder folder;
    const std::wstring ini = folder.File(L"clockset.ini");
    WriteFileBytes(ini, "[Option]\r\nTransparent=200\r\nXingzuo=3\r\nCity=NANJING\r\nStartcolor=aclRed\r\n"
                        "Top=1\r\nwake=0\r\n");
    ClockProcess clock(folder);
    HWND main = clock.WaitForWindow(L"Tfrmmain");
    ASSERT_NE(main, nullptr) << "the clock window appears";
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 230);
    EXPECT_EQ(r.bottom - r.top, 55);
    // Layered from its show on, and ticking.
    Sleep(1500);
    EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(clock.MessageBoxTexts().empty());
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(clock.WaitForExit(10000));
    EXPECT_EQ(IniValue(ini, "Transparent"), "200");
    EXPECT_EQ(IniValue(ini, "Xingzuo"), "3");
    EXPECT_EQ(IniValue(ini, "City"), "NANJING");
    EXPECT_EQ(IniValue(ini, "Startcolor"), "aclRed");
    EXPECT_EQ(IniValue(ini, "Endcolor"), "$FF1E78C3");
    EXPECT_EQ(IniValue(ini, "Top"), "1");
    EXPECT_EQ(IniValue(ini, "wake"), "0");
    EXPECT_EQ(IniValue(ini, "weather"), "0");
    EXPECT_EQ(IniValue(ini, "showxz"), "0");
    EXPECT_EQ(IniValue(ini, "getnettime"), "0");
    // The font: 微软雅黑 when installed, else the stored or default 宋体.
    EXPECT_NE(IniValue(ini, "Font"), "<missing>");
}

TEST(EndToEnd, StartsWhereTheUserLeftItAndKeepsThatPlace) {
    TempFolder folder;
    const std::wstring ini = folder.File(L"clockset.ini");
    WriteFileBytes(ini, "[Option]\r\nPosLeft=120\r\nPosTop=340\r\n");
    ClockProcess clock(folder);
    HWND main = clock.WaitForWindow(L"Tfrmmain");
    ASSERT_NE(main, nullptr);
    // The window exists before its settings are read: its place counts once it shows.
    for (int i = 0; i < 200 && !IsWindowVisible(main); ++i)
        Sleep(50);
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 340);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(clock.WaitForExit(10000));
    EXPECT_EQ(IniValue(ini, "PosLeft"), "120");
    EXPECT_EQ(IniValue(ini, "PosTop"), "340");
}

TEST(EndToEnd, OneClockPerSettingsFile) {
    TempFolder folder, other;
    ClockProcess first(folder);
    HWND main = first.WaitForWindow(L"Tfrmmain");
    ASSERT_NE(main, nullptr);
    // Something else in front, as when the user starts the program again.
    HWND front = CreateWindowExW(0, L"STATIC", L"front", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(front);
    ClockProcess second(folder);
    ASSERT_TRUE(second.WaitForExit(15000)) << "the second start ends";
    DWORD code = 1;
    GetExitCodeProcess(second.Process(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.Running());
    // Activation reaches the clock's thread as a message of its own: it may land a moment later.
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 3000)) << "the running clock is brought forward";
    DestroyWindow(front);
    // Another folder is another settings file: its clock runs beside.
    ClockProcess beside(other);
    EXPECT_NE(beside.WaitForWindow(L"Tfrmmain"), nullptr);
    Sleep(1000);
    EXPECT_TRUE(beside.Running());
    EXPECT_TRUE(first.Running());
    for (const ClockProcess* clock : {&first, &beside}) {
        PostMessageW(clock->FindWindowOfClass(L"Tfrmmain"), WM_CLOSE, 0, 0);
        EXPECT_TRUE(clock->WaitForExit(10000));
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: vemora_e2e PATH\\Vemora.exe\n");
        return 2;
    }
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(Utf8ToWide(argv[1]).c_str(), MAX_PATH, full, nullptr);
    ExePath() = full;
    return RUN_ALL_TESTS();
}
