// The real Vemora.exe with each of the clock-face keys: the window's size and
// the text it answers WM_GETTEXT with, and bad values falling back.
#include "clockprocess.h"

#include <gtest/gtest.h>

#include <regex>

using namespace vemora;
using namespace vemora::e2e;
using vemora::test::TempFolder;
using vemora::test::WriteFileBytes;

namespace {

// What the clock answers, asked as a screen reader asks another program's window.
std::wstring AskedText(HWND window) {
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, &copied))
        return L"(no answer)";
    return std::wstring(text, copied);
}

} // namespace

TEST(EndToEnd, EachFaceKeyGivesItsSizeAndText) {
    const std::wstring time = L"\\d{2}:\\d{2}:\\d{2}", date = L" \\d{1,2}月\\d{1,2}日 星期[一二三四五六日]";
    const std::wstring hour12 = L"(上午|下午) \\d{1,2}:\\d{2}";
    struct Case {
        const char* ini;
        int width, height; // at 96 pixels per inch
        std::wstring text; // a regular expression
    };
    const Case cases[] = {
        {"", 230, 55, time},
        {"ShowSeconds=1\r\nHour12=0\r\nShowDate=0\r\nScale=100\r\n", 230, 55, time},
        {"Scale=150\r\n", 345, 83, time},
        {"Scale=50\r\n", 115, 28, time},
        {"Scale=300\r\nShowDate=1\r\n", 690, 237, time + date + L" .+"},
        {"ShowSeconds=0\r\n", 230, 55, L"\\d{2}:\\d{2}"},
        {"Hour12=1\r\n", 270, 55, hour12 + L":\\d{2}"},
        {"Hour12=1\r\nShowSeconds=0\r\n", 230, 55, hour12},
        {"ShowDate=1\r\nLunar=0\r\n", 230, 79, time + date},
        {"ShowDate=1\r\n", 230, 79, time + date + L" (闰)?\\S+月\\S{2}"},
        // Bad values: the default, or the nearest bound.
        {"Scale=abc\r\nShowSeconds=yes\r\nHour12=\r\nShowDate=x\r\n", 230, 55, time},
        {"Scale=9999\r\n", 690, 165, time},
        {"Scale=-3\r\n", 115, 28, time},
        {"Scale=99999999999\r\n", 690, 165, time},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        TempFolder folder;
        WriteFileBytes(folder.File(L"clockset.ini"), std::string("[Option]\r\n") + c.ini);
        ClockProcess clock(folder);
        HWND main = clock.WaitForWindow(L"Tfrmmain");
        ASSERT_NE(main, nullptr);
        std::wstring shown;
        for (int i = 0; i < 200; ++i) {
            shown = AskedText(main);
            if (IsWindowVisible(main) && shown != L"frmmain")
                break;
            Sleep(50);
        }
        RECT r{};
        GetWindowRect(main, &r);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN)) << "at the top right, whatever its size";
        EXPECT_TRUE(std::regex_match(shown, std::wregex(c.text))) << WideToUtf8(shown);
        const LRESULT length = SendMessageW(main, WM_GETTEXTLENGTH, 0, 0);
        EXPECT_GE(length, static_cast<LRESULT>(shown.size()) - 1) << "a second may have passed";
        EXPECT_TRUE(clock.MessageBoxTexts().empty());
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(clock.WaitForExit(10000));
    }
}
