#include "net/fetch_win.h"
#include "base/inputbox_win.h"
#include "weather/weatherstrip_win.h"

#include "harness.h"
#include "testserver.h"

#include <chrono>

using namespace vemora;
using namespace vemora::test;

namespace {

std::string Utf8Page(const std::string& links) {
    return "<html><body>" + links + "</body></html>";
}

// Today's weather in the provider's form: links in a list.
HttpReply GbkWeather(const std::string&) {
    HttpReply r;
    r.contentType = "text/html; charset=gb2312";
    r.body = WideToGbk(L"<ul><li><a href=\"/nanjing/\">晴</a></li><li><a href=\"/t\">25℃</a></li></ul>");
    return r;
}

struct Weather : ClockFixture {
    LocalHttpServer server{GbkWeather};
    ClockWindow& CreateWith(const std::string& extra = "") {
        return CreateSettled("WeatherHost=" + server.Host() + "\r\n" + extra);
    }
    // Until the download on its way has been drawn or dropped.
    void Settle() { SettleWorkers(); }
};

} // namespace

TEST_F(Weather, ShownUnderTheClockWithTheLinksOfTheCitysPage) {
    ClockWindow& clock = CreateWith("weather=1\r\nCity=NANJING\r\n");
    EXPECT_EQ(server.Targets(), std::vector<std::string>{"/skin/2010-0601.html?city=NANJING"});
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"晴 , 25℃"));
    HWND strip = FindOwnWindow(L"Tfrmweather");
    ASSERT_TRUE(IsWindowVisible(strip));
    const RECT c = WindowRect(clock.Handle()), s = WindowRect(strip);
    EXPECT_EQ(s.left, c.left);
    EXPECT_EQ(s.top, c.top + 55 - 8);
    EXPECT_EQ(s.right - s.left, 230) << "the renderer's image size";
    EXPECT_EQ(s.bottom - s.top, 55);
    EXPECT_TRUE(GetWindowLongW(strip, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetMenuState(clock.ContextMenu(), kMenuWeather, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(Weather, WithoutACityThePageHasNoQuery) {
    ClockWindow& clock = CreateWith();
    clock.ToggleWeather();
    Settle();
    EXPECT_EQ(server.Targets(), std::vector<std::string>{"/skin/2010-0601.html"});
    clock.ToggleWeather();
    EXPECT_FALSE(IsWindowVisible(FindOwnWindow(L"Tfrmweather"))) << "switched off: hidden";
    EXPECT_FALSE(main->CurrentSettings().showWeather);
}

TEST_F(Weather, Utf8AndGbkPagesBothEndAsGbk) {
    ClockWindow& clock = CreateWith();
    server.SetHandler(
        LocalHttpServer::Always({200, "text/html; charset=utf-8",
                                 "\xEF\xBB\xBF" + Utf8Page(WideToUtf8(L"<a href=x>多云</a><a href=y>北京</a>"))}));
    clock.ToggleWeather();
    Settle();
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"多云 , 北京"));
    server.SetHandler(
        LocalHttpServer::Always({200, "text/html", "<meta charset=\"utf-8\">" + Utf8Page(WideToUtf8(L"<a>小雨</a>"))}));
    clock.ShowWeather();
    Settle();
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"小雨")) << "the <meta> declaration counts";
    // GB18030 four-byte sequences stay as they are.
    server.SetHandler(LocalHttpServer::Always({200, "text/html; charset=GB18030", "<a>\x81\x30\x81\x30</a>"}));
    clock.ShowWeather();
    Settle();
    EXPECT_EQ(main->Weather().Text(), "\x81\x30\x81\x30");
}

TEST_F(Weather, RefreshedOnTheHourOnlyWhenOn) {
    ClockWindow& clock = CreateWith("weather=1\r\n");
    ASSERT_EQ(server.Targets().size(), 1u);
    for (int s : {0, 1})
        fakeClock.Set(11, 0, s), clock.Tick();
    Settle();
    EXPECT_EQ(server.Targets().size(), 1u);
    fakeClock.Set(11, 0, 2);
    clock.Tick();
    Settle();
    EXPECT_EQ(server.Targets().size(), 2u) << "the tick at :00:02 refreshes";
    EXPECT_EQ(clock.LastTimeText(), "11:00:02");
    fakeClock.Set(11, 0, 3);
    clock.Tick();
    Settle();
    EXPECT_EQ(server.Targets().size(), 2u) << "once an hour";
    clock.ToggleWeather(); // off
    fakeClock.Set(12, 0, 2);
    clock.Tick();
    Settle();
    EXPECT_EQ(server.Targets().size(), 2u);
}

TEST_F(Weather, APageWithoutLinksKeepsTheLine) {
    ClockWindow& clock = CreateWith("weather=1\r\n");
    server.SetHandler([](const std::string&) { return HttpReply{200, "text/html", "<p>maintenance</p>"}; });
    clock.ShowWeather();
    Settle();
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"晴 , 25℃"));
}

TEST_F(Weather, FailingHostsGiveOneMessageAndKeepTheLine) {
    ClockWindow& clock = CreateWith("weather=1\r\n");
    const std::string line = main->Weather().Text();
    struct Failure {
        const char* what;
        std::function<void()> arrange;
        const wchar_t* says;
    };
    const unsigned short refused = RefusingPort();
    const Failure failures[] = {
        {"refused", [&] { Edit([&](Settings& s) { s.weatherHost = "127.0.0.1:" + std::to_string(refused); }); },
         L"连接失败"},
        {"never answers",
         [&] {
             Edit([&](Settings& s) { s.weatherHost = server.Host(); });
             server.SetHandler(LocalHttpServer::Always({200, "text/html", "", HttpReply::Behaviour::Hang}));
         },
         L"等待超时"},
        {"trickles a byte a second",
         [&] {
             server.SetHandler(
                 LocalHttpServer::Always({200, "text/html", "<a>slow</a>", HttpReply::Behaviour::Trickle}));
         },
         L"等待超时"},
        {"HTTP 500",
         [&] {
             server.SetHandler(LocalHttpServer::Always({500, "text/html", "<a href=/>Home</a><a href=/help>Help</a>"}));
         },
         L"500"},
    };
    for (const Failure& f : failures) {
        f.arrange();
        effects.errors.clear();
        const auto start = std::chrono::steady_clock::now();
        // Off, then on again through the menu: shows, places, and starts the download.
        SendMessageW(clock.Handle(), WM_COMMAND, kMenuWeather, 0);
        SendMessageW(clock.Handle(), WM_COMMAND, kMenuWeather, 0);
        EXPECT_LT(Seconds(start), 0.1) << f.what << ": the menu never waits for the network";
        Settle();
        EXPECT_LT(Seconds(start), 9.0) << f.what;
        ASSERT_EQ(effects.errors.size(), 1u) << f.what;
        EXPECT_NE(effects.errors[0].find(f.says), std::wstring::npos) << WideToUtf8(effects.errors[0]);
        EXPECT_EQ(effects.errors[0].rfind(L"天气：", 0), 0u) << "says which part failed";
        const std::string host =
            f.what == std::string("refused") ? "127.0.0.1:" + std::to_string(refused) : server.Host();
        EXPECT_NE(effects.errors[0].find(Utf8ToWide(host)), std::wstring::npos) << "names the host with its port";
        EXPECT_EQ(main->Weather().Text(), line) << f.what;
        EXPECT_TRUE(IsWindowVisible(FindOwnWindow(L"Tfrmweather"))) << "shown and placed before the fetch";
        EXPECT_TRUE(main->CurrentSettings().showWeather);
    }
}

TEST_F(Weather, ChangeCity) {
    ClockWindow& clock = CreateWith("weather=1\r\nCity=BEIJING\r\n");
    WeatherStrip& strip = *clock.weatherStrip();
    const size_t before = server.Targets().size();
    for (auto answer :
         {std::optional<std::wstring>(L"市"), std::optional<std::wstring>(), std::optional<std::wstring>(L"。")}) {
        strip.SetCityPrompt([answer] { return answer; });
        strip.ChangeCity();
    }
    EXPECT_EQ(main->CurrentSettings().city, "BEIJING") << "市 alone, a cancel or no reading change nothing";
    EXPECT_EQ(server.Targets().size(), before) << "and start no request";
    strip.SetCityPrompt([] { return std::optional<std::wstring>(L"南京市"); });
    strip.ChangeCity();
    Settle();
    EXPECT_EQ(main->CurrentSettings().city, "NANJING");
    EXPECT_EQ(server.Targets().back(), "/skin/2010-0601.html?city=NANJING") << "downloaded at once";
    // The strip's menu.
    wchar_t caption[32] = {};
    GetMenuStringW(strip.ContextMenu(), 0, caption, 32, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(caption), L"更改城市");
}

TEST_F(Weather, TheInputBoxAsksForTheCity) {
    ClockWindow& clock = CreateWith();
    // Answer the real box from a timer once its modal loop runs.
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = FindOwnWindow(L"TInputBox");
        if (!box || !IsWindowVisible(box))
            return;
        KillTimer(nullptr, id);
        wchar_t caption[32] = {};
        GetWindowTextW(box, caption, 32);
        if (std::wstring(caption) == L"更改城市")
            SetWindowTextW(GetDlgItem(box, InputBox::kEdit), L"上海市");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    clock.weatherStrip()->ChangeCity();
    EXPECT_EQ(main->CurrentSettings().city, "SHANGHAI");
}

TEST_F(Weather, FollowsTheClockAfterADrag) {
    ClockWindow& clock = CreateWith("weather=1\r\n");
    HWND strip = FindOwnWindow(L"Tfrmweather");
    MoveWindow(clock.Handle(), 300, 200, 230, 55, TRUE);
    MoveWindow(strip, 10, 10, 230, 55, TRUE);
    clock.MouseMovedWithButton(0); // no button held: no move loop, but the strip comes back
    const RECT s = WindowRect(strip);
    EXPECT_EQ(s.left, 300);
    EXPECT_EQ(s.top, 200 + 55 - 8);
}

TEST_F(Weather, ANewCityWhileADownloadRunsIsFetchedAfterItAndWins) {
    ClockWindow& clock = CreateWith("weather=1\r\nCity=BEIJING\r\n");
    server.SetHandler([](const std::string& target) {
        const bool slow = target.find("BEIJING") != std::string::npos;
        if (slow)
            Sleep(800);
        return HttpReply{200, "text/html; charset=gbk", WideToGbk(slow ? L"<a>晴</a>" : L"<a>雨</a>")};
    });
    clock.ShowWeather(); // the old city, slow to answer
    Edit([&](Settings& s) { s.city = "NANJING"; });
    clock.ShowWeather();
    clock.ShowWeather(); // asked twice while one runs: one more request, not two
    Settle();
    const std::vector<std::string> targets = server.Targets();
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_NE(targets[1].find("BEIJING"), std::string::npos);
    EXPECT_NE(targets[2].find("NANJING"), std::string::npos);
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"雨")) << "never the older city's line";
}

TEST_F(Weather, AnAnswerAfterTheStripWasSwitchedOffIsDropped) {
    ClockWindow& clock = CreateWith();
    server.SetHandler([](const std::string&) {
        Sleep(500);
        return HttpReply{200, "text/html; charset=gbk", WideToGbk(L"<a>晴</a>")};
    });
    clock.ToggleWeather();
    clock.ToggleWeather();
    Settle();
    EXPECT_EQ(server.Targets().size(), 1u);
    EXPECT_TRUE(main->Weather().Text().empty());
    EXPECT_FALSE(IsWindowVisible(FindOwnWindow(L"Tfrmweather")));
    EXPECT_TRUE(effects.errors.empty());
}

// The strip's own close box or Alt+F4 switches the weather off as the menu
// item does: unchecked, off in the file, and the next menu click shows it.
TEST_F(Weather, ClosedByItselfIsSwitchedOff) {
    ClockWindow& clock = CreateWith("weather=1\r\nCity=NANJING\r\n");
    HWND strip = FindOwnWindow(L"Tfrmweather");
    ASSERT_TRUE(IsWindowVisible(strip));
    SendMessageW(strip, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(strip));
    EXPECT_FALSE(main->CurrentSettings().showWeather);
    EXPECT_FALSE(GetMenuState(clock.ContextMenu(), kMenuWeather, MF_BYCOMMAND) & MF_CHECKED);
    clock.ToggleWeather();
    Settle();
    EXPECT_TRUE(IsWindowVisible(strip)) << "the next click shows it again";
    SendMessageW(strip, WM_CLOSE, 0, 0);
    clock.Exit();
    EXPECT_EQ(IniValue(IniPath(), "weather"), "0");
}

// A new look draws the line the strip holds at once, without a download.
TEST_F(Weather, ANewLookRedrawsTheLineItHolds) {
    ClockWindow& clock = CreateWith("weather=1\r\nCity=NANJING\r\n");
    const size_t requests = server.Targets().size();
    const GlowImage& image = clock.WeatherImage();
    const std::vector<std::uint32_t> before(image.Pixels(), image.Pixels() + image.Width() * image.Height());
    Settings changed = clock.CurrentSettings();
    changed.startColour = 0xFFFF0000u;
    changed.endColour = 0xFFFF0000u;
    clock.ChangeSettings(changed, SettingsChange::Look);
    const std::vector<std::uint32_t> after(image.Pixels(), image.Pixels() + image.Width() * image.Height());
    EXPECT_NE(before, after) << "drawn red at once";
    EXPECT_EQ(server.Targets().size(), requests);
}

TEST_F(Weather, ACityWithoutAReadingIsTold) {
    ClockWindow& clock = CreateWith("weather=1\r\nCity=BEIJING\r\n");
    for (const wchar_t* typed : {L"。", L"\U0001F600", L"市", L""}) {
        clock.weatherStrip()->SetCityPrompt([typed] { return std::optional<std::wstring>(typed); });
        clock.weatherStrip()->ChangeCity();
    }
    EXPECT_EQ(effects.errors, (std::vector<std::wstring>{L"无法识别的城市名：。", L"无法识别的城市名：\U0001F600"}));
    EXPECT_EQ(main->CurrentSettings().city, "BEIJING");
}
