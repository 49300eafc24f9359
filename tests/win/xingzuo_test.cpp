#include "horoscope/dailyhoroscope.h"
#include "horoscope/horoscope.h"
#include "horoscope/horoscopepanel_win.h"

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

// What the panel's window answers WM_GETTEXT with.
std::wstring PanelText(HWND panel) {
    const auto length = SendMessageW(panel, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(
        static_cast<size_t>(SendMessageW(panel, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// The window text of a sign's composed day.
std::wstring ComposedText(int sign, int year, int month, int day) {
    return GbkToWide(SheetWindowText(LayoutComposedDay(ComposeDay(sign, year, month, day))));
}

// Without a horoscope host: the day composed by the program.
struct HoroscopeComposed : ClockFixture {
    ClockWindow& CreateWith(const std::string& options) {
        WriteIni("[Option]\r\n" + options);
        Create(true);
        return *main;
    }
};

} // namespace

TEST_F(Horoscope, ShownAtTheRightEdgeUnderTheClock) {
    ClockWindow& clock = CreateWith("showxz=1\r\nXingzuo=0\r\n");
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    ASSERT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(server.Targets(), std::vector<std::string>{"/iframe/astro/view/aries/day/"});
    const RECT p = WindowRect(panel), c = WindowRect(clock.Handle());
    EXPECT_EQ(p.right - p.left, 512) << "the picture's size";
    EXPECT_EQ(p.bottom - p.top, 512);
    EXPECT_EQ(p.left, GetSystemMetrics(SM_CXSCREEN) - 512 + kPanelOverhang)
        << "its transparent margin past the edge, the sheet on the screen";
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
    // Esc closes it as the close box does, switched off too.
    clock.ToggleHoroscope();
    Settle();
    SendMessageW(FindOwnWindow(L"Tfrmxingzuo"), WM_KEYDOWN, VK_ESCAPE, 0);
    Settle();
    EXPECT_FALSE(IsWindowVisible(FindOwnWindow(L"Tfrmxingzuo"))) << "Esc";
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
    EXPECT_EQ(effects.errors[0].rfind(L"今日运势：", 0), 0u) << WideToUtf8(effects.errors[0]);
    EXPECT_NE(effects.errors[0].find(Utf8ToWide(server.Host())), std::wstring::npos) << "the host with its port";
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 1) << "not redrawn";
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    EXPECT_TRUE(IsWindowVisible(panel)) << "but shown";
    EXPECT_EQ(WindowRect(panel).left, GetSystemMetrics(SM_CXSCREEN) - 512 + kPanelOverhang) << "and placed";
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
}

TEST(HoroscopeSheet, TheFootnoteIsSmallAndGrey) {
    std::unique_ptr<Gdiplus::Bitmap> picture = LoadBookPicture();
    const std::vector<SheetText> texts = LayoutComposedDay(ComposeDay(0, 2026, 12, 7));
    std::unique_ptr<DibImage> drawn = DrawHoroscopeImage(*picture, texts);
    std::vector<SheetText> allLarge = texts;
    for (SheetText& t : allLarge)
        t.small = false;
    std::unique_ptr<DibImage> large = DrawHoroscopeImage(*picture, allLarge);
    auto grey = [](std::uint32_t p) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        return Alpha(p) == 255 && r > 100 && r < 170 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
    };
    std::unique_ptr<DibImage> bare = DrawHoroscopeImage(*picture, std::vector<SheetText>{});
    // The pixels the text changed, between the footnote's point and the paper's edge.
    int greyPixels = 0, darkPixels = 0, right = 0, largeRight = 0;
    for (int y = kFootnoteY; y < kFootnoteY + 20; ++y)
        for (int x = kFootnoteX; x < 430; ++x) {
            if (drawn->Pixel(x, y) != bare->Pixel(x, y)) {
                greyPixels += grey(drawn->Pixel(x, y));
                darkPixels += Dark(drawn->Pixel(x, y));
                right = std::max(right, x);
            }
            if (large->Pixel(x, y) != bare->Pixel(x, y))
                largeRight = std::max(largeRight, x);
        }
    EXPECT_GT(greyPixels, 20) << "仅供娱乐 in grey";
    EXPECT_EQ(darkPixels, 0) << "not in the sheet's black";
    EXPECT_LT(right, largeRight - 8) << "narrower than in the 10 pt face";
    EXPECT_LT(right, kSheetRuledRight) << "inside the rules";
    const std::wstring folder = SnapshotFolder();
    if (!folder.empty())
        SavePng(folder + L"\\horoscope-panel.png", drawn->Pixels(), 512, 512, 0xFF808080);
}

TEST_F(HoroscopeComposed, ShownAtOnceWithoutAHost) {
    ClockWindow& clock = CreateWith("showxz=1\r\nXingzuo=0\r\n");
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    ASSERT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 1) << "drawn before the clock came up";
    EXPECT_FALSE(clock.horoscopePanel()->Downloading());
    EXPECT_TRUE(effects.errors.empty());
    const std::wstring text = PanelText(panel);
    EXPECT_EQ(text, ComposedText(0, 2026, 12, 7));
    EXPECT_EQ(text.rfind(L"白羊座今日运势：★", 0), 0u) << "the rating line first";
    EXPECT_NE(text.find(L"仅供娱乐"), std::wstring::npos);
    EXPECT_EQ(WindowRect(panel).right, GetSystemMetrics(SM_CXSCREEN) + kPanelOverhang);
}

TEST_F(HoroscopeComposed, EachSignItsOwnDay) {
    const struct {
        int sign;
        const wchar_t* name;
    } cases[] = {{5, L"处女座"}, {11, L"双鱼座"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sign);
        ClockWindow& clock = CreateWith("showxz=1\r\nXingzuo=" + std::to_string(c.sign) + "\r\n");
        const std::wstring text = PanelText(FindOwnWindow(L"Tfrmxingzuo"));
        EXPECT_EQ(text, ComposedText(c.sign, 2026, 12, 7));
        EXPECT_EQ(text.rfind(c.name, 0), 0u);
        EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 1);
        EXPECT_TRUE(effects.errors.empty());
        main.reset();
    }
}

// As with a page host: one message for each showing, and no timer left behind.
TEST_F(HoroscopeComposed, ASignOutsideTheTwelveIsToldOnce) {
    ClockWindow& clock = CreateWith("Xingzuo=-3\r\n");
    clock.ToggleHoroscope();
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_EQ(effects.errors[0], L"没有这个星座：-3");
    EXPECT_TRUE(IsWindowVisible(FindOwnWindow(L"Tfrmxingzuo")));
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 0);
    Settings changed = clock.CurrentSettings();
    changed.sign = 12;
    clock.ChangeSettings(changed, SettingsChange::Sign);
    ASSERT_EQ(effects.errors.size(), 2u) << "the panel shown again for the new sign";
    EXPECT_EQ(effects.errors[1], L"没有这个星座：12");
    changed.sign = 2;
    clock.ChangeSettings(changed, SettingsChange::Sign);
    EXPECT_EQ(PanelText(FindOwnWindow(L"Tfrmxingzuo")), ComposedText(2, 2026, 12, 7));
    EXPECT_EQ(effects.errors.size(), 2u);
}

TEST_F(HoroscopeComposed, TheNextDayAtMidnight) {
    fakeClock.now = {2026, 12, 31, 23, 59, 59, 400, 4};
    ClockWindow& clock = CreateWith("Xingzuo=3\r\n");
    clock.ToggleHoroscope();
    HWND panel = FindOwnWindow(L"Tfrmxingzuo");
    ASSERT_EQ(PanelText(panel), ComposedText(3, 2026, 12, 31));
    fakeClock.now = {2027, 1, 1, 0, 0, 0, 200, 5};
    // Due 0.6 s + its margin after the showing; nothing polls every second.
    ASSERT_TRUE(PumpUntil([&] { return clock.horoscopePanel()->ComposedDate().year == 2027; }, 3000));
    EXPECT_EQ(PanelText(panel), ComposedText(3, 2027, 1, 1));
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 2);
    fakeClock.now = {2027, 1, 1, 23, 59, 59, 900, 5};
    clock.ToggleHoroscope();
    clock.ToggleHoroscope();
    clock.ToggleHoroscope(); // shown at 23:59:59.9, hidden before midnight
    fakeClock.now = {2027, 1, 2, 0, 0, 1, 0, 6};
    Sleep(600);
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(clock.horoscopePanel()->ComposedDate().day, 1) << "a hidden panel waits for no new day";
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
