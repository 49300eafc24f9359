// The real Vemora.exe's horoscope panel without a horoscope host: the day is
// composed by the program, shown at once and the same on every start.
#include "clockprocess.h"
#include "helpers.h"

#include "base/platform_win.h"
#include "base/text_win.h"
#include "horoscope/dailyhoroscope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vemora;
using namespace vemora::e2e;
using namespace vemora::test;

namespace {

// The panel's timings are measured to the millisecond, so conditions are
// looked at that often.
constexpr int kPollMs = 1;

// A window's text as another process asks for it.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 2000, &length) || length == 0)
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 2000,
                        &copied);
    text.resize(copied);
    return text;
}

std::wstring TodaysText(int sign) {
    SYSTEMTIME today;
    GetLocalTime(&today);
    return GbkToWide(SheetWindowText(LayoutComposedDay(ComposeDay(sign, today.wYear, today.wMonth, today.wDay))));
}

// Whether the screen shows the sheet's rating line at the panel's place: black
// writing on the light paper.
bool RatingLineOnScreen(HWND panel) {
    const RECT r = WindowRect(panel);
    constexpr int kWidth = 220, kHeight = 16;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB};
    ScopedWindowDC screen(nullptr);
    UniqueHdc memory(CreateCompatibleDC(screen.get()));
    void* bits = nullptr;
    UniqueHbitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, kWidth, kHeight, screen.get(), r.left + 110, r.top + 80, SRCCOPY);
    GdiFlush();
    int dark = 0, light = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const auto p = static_cast<const std::uint32_t*>(bits)[i];
        const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
        dark += red < 80 && green < 80 && blue < 80;
        light += red > 200 && green > 200 && blue > 200;
    }
    return dark > 100 && light > 1000;
}

// A key pressed and released through the system's input queue.
void Key(WORD key) {
    INPUT in[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

// Starts the clock with the panel set to a sign, then times, that many times,
// how long the sheet takes to reach the screen after command(main), which
// follows prepare(main) when there is one; the panel is closed in between
// and the clock at the end.
void TimePanelShowing(const char* sign, const wchar_t* signName, int times, const std::function<void(HWND)>& prepare,
                      const std::function<void(HWND)>& command, std::vector<double>& shown) {
    TempFolder folder;
    WriteFileBytes(folder.File(L"clockset.ini"), std::string("[Option]\r\nwake=0\r\nXingzuo=") + sign + "\r\n");
    ClockProcess clock(folder);
    HWND main = clock.WaitForWindow(L"Tfrmmain");
    ASSERT_NE(main, nullptr);
    Sleep(1000);
    for (int i = 0; i < times; ++i) {
        if (prepare) {
            prepare(main);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        const auto start = std::chrono::steady_clock::now();
        command(main);
        HWND panel = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] {
                panel = clock.FindWindowOfClass(L"Tfrmxingzuo");
                return panel && IsWindowVisible(panel) && RatingLineOnScreen(panel);
            },
            5000, kPollMs));
        shown.push_back(Seconds(start));
        EXPECT_EQ(TextOf(panel).rfind(signName, 0), 0u);
        PostMessageW(main, WM_COMMAND, kMenuHoroscope, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(panel); }, 5000, kPollMs));
        Sleep(300);
    }
    EXPECT_TRUE(clock.MessageBoxTexts().empty());
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(clock.WaitForExit(10000));
}

} // namespace

TEST(Horoscope, WithoutAHostTheDayIsComposedTheSameOnEachStart) {
    TempFolder folder;
    const struct {
        const char* options;
        int sign;
        const wchar_t* name;
    } starts[] = {{"showxz=1\r\nXingzuo=0", 0, L"白羊座"},
                  {"showxz=1\r\nXingzuo=0", 0, L"白羊座"},
                  {"showxz=1\r\nXingzuo=5", 5, L"处女座"}};
    std::wstring first;
    for (const auto& start : starts) {
        SCOPED_TRACE(start.options);
        WriteFileBytes(folder.File(L"clockset.ini"), std::string("[Option]\r\nwake=0\r\n") + start.options + "\r\n");
        ClockProcess clock(folder);
        HWND panel = clock.WaitForWindow(L"Tfrmxingzuo");
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(panel) && RatingLineOnScreen(panel); }, 15000, kPollMs))
            << "stars and words on the sheet";
        const std::wstring text = TextOf(panel);
        EXPECT_EQ(text, TodaysText(start.sign));
        EXPECT_EQ(text.rfind(std::wstring(start.name) + L"今日运势：★", 0), 0u) << WideToUtf8(text);
        EXPECT_GE(std::count(text.begin(), text.end(), L'。'), 2) << "the day's sentences";
        EXPECT_NE(text.find(L"仅供娱乐"), std::wstring::npos);
        if (first.empty()) {
            first = text;
        } else if (start.sign == 0) {
            EXPECT_EQ(text, first) << "the same day on the second start";
        }
        Sleep(500);
        EXPECT_TRUE(clock.MessageBoxTexts().empty());
        PostMessageW(clock.WaitForWindow(L"Tfrmmain"), WM_CLOSE, 0, 0);
        ASSERT_TRUE(clock.WaitForExit(10000));
    }
}

// From the menu command to the sheet on the screen, several times.
TEST(Horoscope, ShownWithinAFractionOfASecondOfTheClick) {
    std::vector<double> shown;
    ASSERT_NO_FATAL_FAILURE(TimePanelShowing(
        "2", L"双子座", 5, nullptr, [](HWND main) { PostMessageW(main, WM_COMMAND, kMenuHoroscope, 0); }, shown));
    std::printf("horoscope panel on the screen after the menu command: first %.3f s, median %.3f s, max %.3f s\n",
                shown.front(), Percentile(shown, 0.5), Percentile(shown, 1));
    RecordProperty("first_ms", static_cast<int>(shown.front() * 1000));
    EXPECT_LT(Percentile(shown, 1), 0.3);
}

// The same through the clock's context menu, opened with the right button and
// its item chosen with its key (J), as a person does.
TEST(Horoscope, ShownWithinAFractionOfASecondOfTheMenuKey) {
    const auto openMenu = [](HWND main) {
        const RECT c = WindowRect(main);
        const POINT digits{(c.left + c.right) / 2, (c.top + c.bottom) / 2};
        SendPointer(digits, MOUSEEVENTF_RIGHTDOWN);
        SendPointer(digits, MOUSEEVENTF_RIGHTUP);
        ASSERT_TRUE(WaitFor(
            [] {
                HWND menu = FindWindowW(L"#32768", nullptr);
                return menu && IsWindowVisible(menu);
            },
            5000, kPollMs))
            << "the context menu";
        Sleep(200);
    };
    std::vector<double> shown;
    ASSERT_NO_FATAL_FAILURE(TimePanelShowing(
        "7", L"天蝎座", 3, openMenu, [](HWND) { Key('J'); }, shown));
    std::printf("horoscope panel on the screen after the menu key: first %.3f s, max %.3f s\n", shown.front(),
                Percentile(shown, 1));
    EXPECT_LT(Percentile(shown, 1), 0.3);
}

// Run by the e2e.plainfonts group in a prefix as Wine makes it: no 宋体, no
// 微软雅黑 and no generic sans serif for GDI+. A first start still shows the
// clock and the sheet, in a family that is installed, and says nothing.
TEST(PlainFonts, AFirstStartShowsTheClockAndTheSheetInAnInstalledFamily) {
    ASSERT_NE(Gdiplus::FontFamily(L"宋体").GetLastStatus(), Gdiplus::Ok) << "this prefix has 宋体";
    ASSERT_NE(Gdiplus::FontFamily(L"微软雅黑").GetLastStatus(), Gdiplus::Ok) << "this prefix has 微软雅黑";
    ASSERT_EQ(Gdiplus::FontFamily::GenericSansSerif(), nullptr) << "this prefix has a generic sans serif";
    TempFolder folder;
    WriteFileBytes(folder.File(L"clockset.ini"),
                   "[Option]\r\nwake=0\r\nweather=0\r\ngetnettime=0\r\nshowxz=1\r\nXingzuo=1\r\n");
    ClockProcess clock(folder);
    HWND panel = clock.WaitForWindow(L"Tfrmxingzuo");
    DWORD code = 0;
    GetExitCodeProcess(clock.Process(), &code);
    ASSERT_NE(panel, nullptr) << "exit code " << code;
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(panel) && RatingLineOnScreen(panel); }, 15000))
        << "stars and words on the sheet";
    EXPECT_EQ(TextOf(panel), TodaysText(1));
    HWND main = clock.WaitForWindow(L"Tfrmmain");
    ASSERT_NE(main, nullptr);
    const std::wstring time = TextOf(main);
    EXPECT_TRUE(time.size() >= 5 && time.find(L':') != std::wstring::npos) << "the time shows: " << WideToUtf8(time);
    Sleep(1500);
    EXPECT_TRUE(clock.Running());
    EXPECT_TRUE(clock.MessageBoxTexts().empty());
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(clock.WaitForExit(10000));
    const std::string font = IniValue(folder.File(L"clockset.ini"), "Font");
    EXPECT_EQ(Gdiplus::FontFamily(GbkToWide(font).c_str()).GetLastStatus(), Gdiplus::Ok) << font;
}
