// The real Vemora.exe under Wine: started in a folder with a prepared
// clockset.ini, found by its window class, closed as a user would close it.
#include "base/handles_win.h"
#include "clockprocess.h"
#include "helpers.h"
#include "testserver.h"

#include <gtest/gtest.h>

using namespace vemora;
using namespace vemora::e2e;
using vemora::test::HttpReply;
using vemora::test::IniValue;
using vemora::test::LocalHttpServer;
using vemora::test::ReadFileBytes;
using vemora::test::TempFolder;
using vemora::test::WindowRect;
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

// Every start shows the clock and the companions its file switches on,
// whichever of them are on, wherever the clock was left and whatever its face.
// The four choices are paired, not multiplied: each two of them meet in every
// combination of on and off within five starts.
TEST(EndToEnd, EveryStartShowsTheClockAndItsCompanions) {
    LocalHttpServer forecast([](const std::string&) {
        return HttpReply{200, "application/json",
                         ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES) + L"\\forecast\\forecast-beijing.json")};
    });
    const struct {
        bool weather, horoscope, stored;
        const char* face; // empty: the default face
    } starts[] = {
        {false, false, false, ""},
        {false, true, true, "ShowDate=1\r\n"},
        {true, false, true, "Scale=150\r\n"},
        {true, true, false, "ShowDate=1\r\nScale=300\r\n"},
        {true, true, true, ""},
    };
    for (const auto& start : starts) {
        std::string ini = std::string("[Option]\r\nwake=0\r\ngetnettime=0\r\n") + start.face;
        ini += start.weather ? "weather=1\r\n" : "weather=0\r\n";
        ini += start.horoscope ? "showxz=1\r\n" : "showxz=0\r\n";
        if (start.stored)
            ini += "PosLeft=500\r\nPosTop=100\r\n";
        ini += "Place=" + WideToGbk(L"长沙") + "\r\nLatitude=28.1987\r\nLongitude=112.9709\r\nForecastApi=http://" +
               forecast.Host() + "\r\nAirQualityApi=http://" + forecast.Host() + "\r\n";
        SCOPED_TRACE(ini);
        TempFolder folder;
        WriteFileBytes(folder.File(L"clockset.ini"), ini);
        ClockProcess clock(folder);
        HWND main = clock.WaitForWindow(L"Tfrmmain");
        ASSERT_NE(main, nullptr) << "the clock window appears";
        EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 15000)) << "the clock shows";
        ASSERT_TRUE(clock.Running()) << "the program still runs";
        const RECT r = WindowRect(main);
        if (start.stored) {
            EXPECT_EQ(r.left, 500);
            EXPECT_EQ(r.top, 100);
        } else {
            EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
            EXPECT_EQ(r.top, 0);
        }
        for (const auto& [cls, on] : {std::pair{L"Tfrmweather", start.weather}, {L"Tfrmxingzuo", start.horoscope}}) {
            // Looked for again while waiting: it may be made after the clock shows.
            HWND companion = clock.FindWindowOfClass(cls);
            if (on)
                EXPECT_TRUE(WaitFor(
                    [&] {
                        companion = clock.FindWindowOfClass(cls);
                        return companion && IsWindowVisible(companion);
                    },
                    15000))
                    << WideToUtf8(cls) << " shows";
            else
                EXPECT_FALSE(companion && IsWindowVisible(companion)) << WideToUtf8(cls) << " stays hidden";
        }
        if (start.weather) {
            const RECT s = WindowRect(clock.FindWindowOfClass(L"Tfrmweather"));
            EXPECT_EQ(s.left, r.left) << "the strip hangs under the clock";
            EXPECT_GT(s.top, r.top);
            EXPECT_LT(s.top, r.bottom);
        }
        EXPECT_TRUE(clock.MessageBoxTexts().empty());
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(clock.WaitForExit(10000));
    }
}

// The executable carries its own icon, at every size the shell asks for.
TEST(EndToEnd, TheProgramCarriesItsIconInEverySize) {
    HMODULE exe = LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_NE(found, nullptr) << "an icon group";
    const auto* group = static_cast<const unsigned char*>(LockResource(LoadResource(exe, found)));
    const int count = group[4] | group[5] << 8;
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const int width = group[6 + 14 * i];
        sizes.push_back(width == 0 ? 256 : width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 48, 256}));
    FreeLibrary(exe);
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
    ScopedGdiplus gdiplus; // the tests ask GDI+ which families the system has
    if (argc < 2) {
        fprintf(stderr, "usage: vemora_e2e PATH\\Vemora.exe\n");
        return 2;
    }
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(Utf8ToWide(argv[1]).c_str(), MAX_PATH, full, nullptr);
    ExePath() = full;
    return RUN_ALL_TESTS();
}
