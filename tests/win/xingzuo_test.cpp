#include "online/horoscope.h"
#include "online/xingzuo_win.h"

#include "harness.h"
#include "testserver.h"

using namespace vemora;
using namespace vemora::test;

namespace {

std::string FixturePage() {
    return ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES "\\xingzuo_aries_day.html"));
}

struct Horoscope : ClockFixture {
    LocalHttpServer server{[](const std::string&) {
        return HttpReply{200, "text/html; charset=gb2312", FixturePage()};
    }};
    ClockWindow& CreateWith(const std::string& extra) {
        WriteIni("[Option]\r\nXingzuoHost=" + server.Host() + "\r\n" + extra);
        Create(true);
        Settle();
        return *main;
    }
    // Until the page on its way has been drawn or dropped.
    void Settle() {
        ASSERT_TRUE(PumpUntil([&] { return !main->horoscopePanel()->Downloading(); }));
    }
};

int Alpha(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 24);
}
bool Dark(std::uint32_t pixel) {
    return Alpha(pixel) == 255 && ((pixel >> 16) & 0xFF) < 80 && ((pixel >> 8) & 0xFF) < 80 && (pixel & 0xFF) < 80;
}

} // namespace

TEST_F(Horoscope, ShownAtTheRightEdgeUnderTheClock) {
    ClockWindow& clock = CreateWith("showxz=1\r\nXingzuo=0\r\n");
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    ASSERT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(server.Targets(), std::vector<std::string>{"/iframe/astro/view/aries/day/"});
    const RECT p = WindowRect(panel), c = WindowRect(clock.Handle());
    EXPECT_EQ(p.right - p.left, 512) << "the picture's size";
    EXPECT_EQ(p.bottom - p.top, 512);
    EXPECT_EQ(p.left, GetSystemMetrics(SM_CXSCREEN) - 512 + 60);
    EXPECT_EQ(p.top, c.top + 55);
    EXPECT_TRUE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 1);
    EXPECT_TRUE(effects.errors.empty());
    EXPECT_TRUE(GetMenuState(clock.ContextMenu(), kMenuHoroscope, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Horoscope, ShowingAgainFetchesAfreshAndOffHides) {
    ClockWindow& clock = CreateWith("Xingzuo=4\r\n");
    clock.ToggleHoroscope();
    Settle();
    clock.ShowHoroscope();
    Settle();
    EXPECT_EQ(server.Targets(),
              (std::vector<std::string>{"/iframe/astro/view/leo/day/", "/iframe/astro/view/leo/day/"}));
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 2);
    clock.ToggleHoroscope();
    EXPECT_FALSE(IsWindowVisible(FindOwnWindow(L"Tfrmxingzuo")));
    EXPECT_FALSE(main->CurrentSettings().showHoroscope);
}

TEST_F(Horoscope, AFailingHostGivesOneMessageAndTheSheetIsNotRedrawn) {
    ClockWindow& clock = CreateWith("showxz=1\r\nXingzuo=1\r\n");
    ASSERT_EQ(clock.horoscopePanel()->RenderCount(), 1);
    server.SetHandler([](const std::string&) { return HttpReply{404, "text/html", "<a>Not found</a>"}; });
    clock.ShowHoroscope();
    Settle();
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_NE(effects.errors[0].find(L"404"), std::wstring::npos);
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 1) << "not redrawn";
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    EXPECT_TRUE(IsWindowVisible(panel)) << "but shown";
    EXPECT_EQ(WindowRect(panel).left, GetSystemMetrics(SM_CXSCREEN) - 512 + 60) << "and placed";
}

TEST_F(Horoscope, ASignOutsideTheTwelveAsksNothing) {
    ClockWindow& clock = CreateWith("Xingzuo=44\r\n");
    clock.ToggleHoroscope();
    EXPECT_TRUE(server.Targets().empty());
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_EQ(effects.errors[0], L"没有这个星座：44");
}

TEST_F(Horoscope, APageForAPanelHiddenMeanwhileIsNotDrawn) {
    ClockWindow& clock = CreateWith("Xingzuo=0\r\n");
    server.SetHandler([](const std::string&) {
        Sleep(500);
        return HttpReply{200, "text/html; charset=gb2312", FixturePage()};
    });
    clock.ToggleHoroscope();
    clock.ToggleHoroscope();
    Settle();
    EXPECT_EQ(server.Targets().size(), 1u);
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 0);
    EXPECT_TRUE(effects.errors.empty());
}

TEST(HoroscopeSheet, BlackTextOnTheSheetAndTransparentMargins) {
    std::unique_ptr<Gdiplus::Bitmap> picture = LoadBookPicture();
    ASSERT_EQ(picture->GetWidth(), 512u);
    std::unique_ptr<DibImage> bare = DrawHoroscopeImage(*picture, "short page", 0);
    std::unique_ptr<DibImage> drawn = DrawHoroscopeImage(*picture, FixturePage(), 0);
    // The margins around the sheet and the binder holes stay transparent.
    for (auto [x, y] : {std::pair{10, 10}, {500, 500}, {40, 250}, {470, 250}, {112, 42}})
        EXPECT_EQ(Alpha(drawn->Pixel(x, y)), 0) << x << "," << y;
    EXPECT_EQ(Alpha(drawn->Pixel(250, 300)), 255) << "the sheet is opaque";
    int darkInRating = 0, darkInBare = 0;
    for (int y = 80; y < 96; ++y)
        for (int x = 110; x < 330; ++x) {
            darkInRating += Dark(drawn->Pixel(x, y));
            darkInBare += Dark(bare->Pixel(x, y));
        }
    EXPECT_GT(darkInRating, 100) << "black text where the rating line stands";
    EXPECT_EQ(darkInBare, 0) << "a page under 100 bytes leaves the sheet bare";
    const std::wstring folder = SnapshotFolder();
    if (!folder.empty())
        SavePng(folder + L"\\horoscope-panel.png", drawn->Pixels(), 512, 512, 0xFF808080);
}

TEST_F(Horoscope, ClosedByItselfIsSwitchedOff) {
    ClockWindow& clock = CreateWith("showxz=1\r\n");
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    ASSERT_TRUE(IsWindowVisible(panel));
    SendMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_FALSE(main->CurrentSettings().showHoroscope);
    EXPECT_FALSE(GetMenuState(clock.ContextMenu(), kMenuHoroscope, MF_BYCOMMAND) & MF_CHECKED);
    clock.ToggleHoroscope();
    Settle();
    EXPECT_TRUE(IsWindowVisible(panel)) << "the next click shows it again";
}

// A new transparency draws the sheet again from what it holds, fetching nothing.
TEST_F(Horoscope, ANewLookRedrawsTheSheetItHolds) {
    ClockWindow& clock = CreateWith("showxz=1\r\n");
    ASSERT_EQ(clock.horoscopePanel()->RenderCount(), 1);
    Settings changed = clock.CurrentSettings();
    changed.transparency = 120;
    clock.ChangeSettings(changed, SettingsChange::Look);
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 2);
    EXPECT_EQ(server.Targets().size(), 1u);
}
