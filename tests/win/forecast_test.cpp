#include "weather/forecast.h"
#include "weather/weatherstrip_win.h"

#include "harness.h"
#include "testserver.h"

#include <mutex>

using namespace vemora;
using namespace vemora::test;

namespace {

std::string Fixture(const wchar_t* name) {
    return ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES) + L"\\forecast\\" + name);
}

HttpReply Json(int status, std::string body) {
    return HttpReply{status, "application/json", std::move(body)};
}

// The lines written to the log, as a file would get them.
// The weather's lines of the run's log; the clock's own (its start, its end) are left out.
class RecordingLog : public EventLog {
public:
    void Write(std::string_view part, std::string_view message) override {
        if (part != "weather")
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(std::string(part) + " " + std::string(message));
    }
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

constexpr const char* kChangsha = R"({"results":[{"name":"长沙","latitude":28.19874,"longitude":112.97087,
    "feature_code":"PPLA","country_code":"CN","country":"中国","admin1":"湖南","population":7000000}]})";

// Both services on one local stand-in, with a clock of Unix seconds the test moves.
struct ForecastStrip : ClockFixture {
    std::int64_t unixNow = 1760000000 + 17; // some minute past a whole hour
    LocalHttpServer server{[this](const std::string& target) { return Route(target); }};
    std::function<HttpReply(const std::string&)> forecast = [](const std::string&) {
        return Json(200, Fixture(L"forecast-beijing.json"));
    };
    std::function<HttpReply(const std::string&)> geocode = [](const std::string&) { return Json(200, kChangsha); };
    std::function<HttpReply(const std::string&)> air = [](const std::string&) {
        return Json(200, Fixture(L"air-changsha.json"));
    };

    ForecastStrip() {
        unixClock = [this] { return unixNow; };
    }
    HttpReply Route(const std::string& target) {
        if (target.rfind("/v1/air-quality", 0) == 0)
            return air(target);
        return target.rfind("/v1/search", 0) == 0 ? geocode(target) : forecast(target);
    }
    std::string Services() const {
        return "ForecastApi=http://" + server.Host() + "\r\nGeocodeApi=http://" + server.Host() +
               "\r\nAirQualityApi=http://" + server.Host() + "\r\n";
    }
    std::string Changsha() const {
        return Services() + "weather=1\r\nwake=0\r\nPlace=" + WideToGbk(L"长沙") +
               "\r\nLatitude=28.2282\r\nLongitude=112.9388\r\n";
    }
    // What WM_GETTEXT answers: the line, then the tooltip's lines.
    std::wstring ReadAloud() {
        wchar_t text[2048] = {};
        GetWindowTextW(FindOwnWindow(L"Tfrmweather"), text, 2048);
        return text;
    }
    std::wstring StripText() {
        const std::wstring text = ReadAloud();
        return text.substr(0, text.find(L"\r\n"));
    }
    std::vector<std::string> AirTargets() const {
        std::vector<std::string> air;
        for (const std::string& target : server.Targets())
            if (target.rfind("/v1/air-quality", 0) == 0)
                air.push_back(target);
        return air;
    }
};

} // namespace

TEST_F(ForecastStrip, TheStripReadsThePlaceTheSkyAndTheTemperatures) {
    ClockWindow& clock = CreateSettled(Changsha());
    const std::vector<std::string> targets = server.Targets();
    ASSERT_EQ(targets.size(), 2u) << "the forecast, then the air";
    EXPECT_NE(targets[0].find("/v1/forecast?latitude=28.2282&longitude=112.9388&"), std::string::npos) << targets[0];
    EXPECT_EQ(targets[1].rfind("/v1/air-quality?latitude=28.2282&longitude=112.9388&current=", 0), 0u) << targets[1];
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃ 良") << "WM_GETTEXT answers the line shown";
    EXPECT_EQ(ReadAloud(), StripText() + L"\r\n" + clock.weatherStrip()->TipText()) << "then the tooltip's lines";
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"长沙 多云 18℃ 10~20℃ 良"));
    EXPECT_NE(clock.weatherStrip()->TipText().find(L"Open-Meteo.com"), std::wstring::npos);
    EXPECT_TRUE(IsWindowVisible(FindOwnWindow(L"Tfrmweather")));
    EXPECT_TRUE(effects.errors.empty());
    std::printf("strip composed and drawn in %.2f ms on the clock's thread\n", clock.Weather().StripMs());
}

TEST_F(ForecastStrip, ASecondStartWithoutTheServiceShowsTheKeptLineWithItsAge) {
    CreateSettled(Changsha());
    main.reset();
    const std::string refused = "http://127.0.0.1:" + std::to_string(RefusingPort());
    unixNow += 3 * 3600;
    WriteIni("[Option]\r\nForecastApi=" + refused + "\r\nweather=1\r\nwake=0\r\nPlace=" + WideToGbk(L"长沙") +
             "\r\nLatitude=28.2282\r\nLongitude=112.9388\r\n");
    Create(true);
    // Too long for the strip with its age: cut, the age kept.
    const std::wstring kept = StripText();
    EXPECT_EQ(kept.rfind(L"长沙 多云", 0), 0u) << "shown before any answer";
    EXPECT_TRUE(kept.ends_with(L"…（3小时前）") || kept.ends_with(L"℃（3小时前）")) << kept;
    SettleWorkers();
    EXPECT_EQ(StripText(), kept);
    EXPECT_NE(main->weatherStrip()->TipText().find(L"127.0.0.1:"), std::wstring::npos) << "the tip says why";
    EXPECT_TRUE(effects.errors.empty()) << "a background refresh never opens a message box";
}

TEST_F(ForecastStrip, AnOldCityIsLookedUpOnceAndItsCoordinatesKept) {
    CreateSettled(Services() + "weather=1\r\nwake=0\r\nCity=CHANGSHA\r\n");
    PumpUntil([&] { return server.Targets().size() >= 3 && !main->WorkersRunning(); });
    const std::vector<std::string> targets = server.Targets();
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0], "/v1/search?name=CHANGSHA&count=10&language=zh&format=json");
    EXPECT_NE(targets[1].find("latitude=28.1987&longitude=112.9709"), std::string::npos) << targets[1];
    EXPECT_EQ(IniValue(IniPath(), "Latitude"), "28.1987");
    EXPECT_EQ(IniValue(IniPath(), "Longitude"), "112.9709");
    EXPECT_EQ(IniValue(IniPath(), "Place"), WideToGbk(L"长沙"));
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃ 良");
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(ForecastStrip, RateLimitedForTwoMinutesAsksAtMostThreeTimesAndSaysNothing) {
    forecast = [](const std::string&) {
        return Json(429, R"({"error":true,"reason":"Hourly API request limit exceeded."})");
    };
    ClockWindow& clock = CreateSettled(Changsha());
    for (int s = 0; s < 120; ++s) {
        ++unixNow;
        fakeClock.now.second = s % 60;
        fakeClock.now.minute = 10 + s / 60;
        clock.Tick();
        SettleWorkers();
    }
    EXPECT_GE(server.Targets().size(), 1u);
    EXPECT_LE(server.Targets().size(), 3u);
    EXPECT_EQ(StripText(), L"天气暂不可用");
    EXPECT_NE(clock.weatherStrip()->TipText().find(L"429"), std::wstring::npos) << clock.weatherStrip()->TipText();
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(ForecastStrip, ChangingTheCityTakesTheDominantPlaceOrAsksOrSaysItIsNotFound) {
    ClockWindow& clock = CreateSettled(Changsha());
    WeatherStrip& strip = *clock.weatherStrip();
    geocode = [](const std::string&) { return Json(200, Fixture(L"geocode-beijing.json")); };
    strip.SetCityPrompt([] { return std::wstring(L"北京"); });
    strip.ChangeCity();
    PumpUntil([&] { return server.Targets().size() >= 5 && !main->WorkersRunning(); });
    EXPECT_EQ(main->CurrentSettings().place, WideToGbk(L"北京"));
    EXPECT_EQ(main->CurrentSettings().city, "BEIJING") << "kept for the page provider";
    EXPECT_EQ(StripText(), L"北京 多云 18℃ 10~20℃ 良");

    geocode = [](const std::string&) {
        return Json(200, R"({"results":[{"name":"Springfield","latitude":39.8,"longitude":-89.6,"country":"US",
            "admin1":"Illinois","population":100000},{"name":"Springfield","latitude":37.2,"longitude":-93.3,
            "country":"US","admin1":"Missouri","population":160000}]})");
    };
    std::vector<std::wstring> offered;
    strip.SetPlacePicker([&](const std::vector<std::wstring>& labels) {
        offered = labels;
        return std::optional<std::size_t>(1);
    });
    strip.SetCityPrompt([] { return std::wstring(L"Springfield"); });
    strip.ChangeCity();
    SettleWorkers();
    PumpUntil([&] { return !main->WorkersRunning(); });
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_NE(offered[1].find(L"Missouri"), std::wstring::npos);
    EXPECT_EQ(FormatCoordinate(*main->CurrentSettings().latitude), "37.2000");
    EXPECT_TRUE(effects.errors.empty());

    geocode = [](const std::string&) { return Json(200, R"({"generationtime_ms":0.5})"); };
    strip.SetCityPrompt([] { return std::wstring(L"乌有乡"); });
    strip.ChangeCity();
    PumpUntil([&] { return !effects.errors.empty(); });
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_EQ(effects.errors[0], L"找不到城市：乌有乡");
    EXPECT_EQ(FormatCoordinate(*main->CurrentSettings().latitude), "37.2000") << "the place stays";

    // A lookup that fails says it was the city's, not only what failed.
    geocode = [](const std::string&) { return Json(503, "{}"); };
    strip.SetCityPrompt([] { return std::wstring(L"西安"); });
    strip.ChangeCity();
    PumpUntil([&] { return effects.errors.size() >= 2; });
    ASSERT_EQ(effects.errors.size(), 2u);
    EXPECT_EQ(effects.errors[1].rfind(L"查找城市“西安”失败：", 0), 0u) << WideToUtf8(effects.errors[1]);
    EXPECT_EQ(FormatCoordinate(*main->CurrentSettings().latitude), "37.2000");
}

// No city yet is no failure: the first 显示天气 asks for one at once, and
// the strip says where to give one until there is one.
TEST_F(ForecastStrip, TheFirstShowWithoutACityAsksForOne) {
    ClockWindow& clock = CreateSettled(Services() + "wake=0\r\n");
    WeatherStrip& strip = *clock.weatherStrip();
    int asked = 0;
    strip.SetCityPrompt([&] { return ++asked, std::optional<std::wstring>(); });
    clock.ToggleWeather();
    SettleWorkers();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(StripText(), L"右击设置城市");
    EXPECT_TRUE(server.Targets().empty());
    strip.SetCityPrompt([&] { return ++asked, std::optional<std::wstring>(L"长沙"); });
    clock.ToggleWeather();
    clock.ToggleWeather();
    PumpUntil([&] { return server.Targets().size() >= 3 && !main->WorkersRunning(); });
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃ 良");
    EXPECT_TRUE(effects.errors.empty()) << WideToUtf8(effects.errors.empty() ? L"" : effects.errors[0]);
}

// 设置 → 确定 with the city box as it was shown keeps the place; only a
// changed name is looked up.
TEST_F(ForecastStrip, OkInTheSettingsLooksUpOnlyAChangedCity) {
    ClockWindow& clock = CreateSettled(Changsha() + "City=CHANGSHA\r\n");
    geocode = [](const std::string&) { return Json(200, Fixture(L"geocode-beijing.json")); };
    const struct {
        const wchar_t* typed;
        std::size_t lookUps;
        const wchar_t* place;
    } cases[] = {{L"CHANGSHA", 0, L"长沙"}, {L"北京", 1, L"北京"}};
    SettingsDialog& d = *clock.settingsDialog();
    const auto searches = [&] {
        std::size_t n = 0;
        for (const std::string& target : server.Targets())
            n += target.rfind("/v1/search", 0) == 0;
        return n;
    };
    for (const auto& c : cases) {
        const std::size_t before = searches();
        d.ShowCurrentSettings();
        SetWindowTextW(d.cityEdit, c.typed);
        SendMessageW(d.Handle(), WM_COMMAND, MAKEWPARAM(SettingsDialog::kOkButton, BN_CLICKED), 0);
        Pump(200);
        SettleWorkers();
        EXPECT_EQ(searches() - before, c.lookUps) << WideToUtf8(c.typed);
        EXPECT_EQ(main->CurrentSettings().place, WideToGbk(c.place));
        EXPECT_TRUE(main->CurrentSettings().latitude.has_value());
        EXPECT_EQ(StripText().rfind(c.place, 0), 0u) << WideToUtf8(StripText());
    }
    EXPECT_TRUE(effects.errors.empty());
}

// A service that is down leaves a line naming its host and why; the first
// answer after it says the service is back.
TEST_F(ForecastStrip, FailuresAndTheRecoveryGoToTheLog) {
    static RecordingLog log; // outlives the clock, which writes its end when the fixture goes
    eventLog = &log;
    const std::string refused = "127.0.0.1:" + std::to_string(RefusingPort());
    CreateSettled("ForecastApi=http://" + refused + "\r\nAirQualityApi=http://" + server.Host() +
                  "\r\nweather=1\r\nwake=0\r\nPlace=" + WideToGbk(L"长沙") +
                  "\r\nLatitude=28.2282\r\nLongitude=112.9388\r\n");
    std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(refused), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("连接失败"), std::string::npos) << lines[0];
    Edit([&](Settings& s) { s.forecastApi = "http://" + server.Host(); });
    unixNow += 120; // past the first failure's minute
    main->Tick();
    SettleWorkers();
    lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("恢复：" + server.Host()), std::string::npos) << lines[1];
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃ 良");
    EXPECT_TRUE(effects.errors.empty());
    main.reset(); // before the log goes
}

// The next hours, the sun and the air, from both services' recorded answers.
TEST_F(ForecastStrip, TheAirFollowsTheTemperaturesInItsColourAndTheTipHasRainSunAndAir) {
    forecast = [](const std::string&) { return Json(200, Fixture(L"forecast-changsha.json")); };
    ClockWindow& clock = CreateSettled(Changsha());
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃ 良");
    const std::wstring tip = clock.weatherStrip()->TipText();
    for (const wchar_t* line :
         {L"\r\n降水概率：今天 60%\r\n", L"\r\n15时 19℃ 10%  18时 17℃ 40%  21时 15℃ 50%  00时 13℃ 10%\r\n",
          L"\r\n日出 06:25 日落 17:58\r\n", L"\r\n空气质量：良 82，首要污染物 PM2.5\r\n"})
        EXPECT_NE(tip.find(line), std::wstring::npos) << line << " in " << tip;
    EXPECT_TRUE(tip.ends_with(L"天气数据：Open-Meteo.com\r\n空气质量数据：CAMS / Open-Meteo.com")) << tip;
    EXPECT_NE(ReadFileBytes(main->Weather().KeptPath()).find("air.pm2_5=60\n"), std::string::npos)
        << "kept in one file";

    // 良 is drawn yellow, over the columns the strip gave it.
    const GlowImage& image = clock.WeatherImage();
    const GlowFrame& frame = main->Weather().StripFrame();
    int yellow = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = std::max(frame.accentLeft, 0); x < std::min(frame.accentRight, image.Width()); ++x) {
            const std::uint32_t p = image.Pixel(x, y);
            const int a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            yellow += a > 200 && r > 180 && g > 180 && b < r / 2;
        }
    EXPECT_GT(yellow, 10);
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(ForecastStrip, TheAirServiceDownLeavesTheForecastLineAndTheTipSaysWhy) {
    air = [](const std::string&) {
        return HttpReply{502, "text/html", "<html><head><title>502 Bad Gateway</title></head></html>"};
    };
    ClockWindow& clock = CreateSettled(Changsha());
    EXPECT_EQ(AirTargets().size(), 1u);
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃");
    const std::wstring tip = clock.weatherStrip()->TipText();
    EXPECT_NE(tip.find(L"空气质量暂不可用：服务器 " + Utf8ToWide(server.Host()) + L" 暂时无法提供服务（HTTP 502）"),
              std::wstring::npos)
        << tip;
    EXPECT_EQ(tip.find(L"CAMS"), std::wstring::npos) << "no credit without its data";
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(ForecastStrip, ARateLimitFromTheAirServiceWaitsForTheNextHour) {
    std::mutex mutex; // the stand-in answers on threads of its own
    std::vector<std::int64_t> asked;
    air = [&](const std::string&) {
        const std::lock_guard<std::mutex> lock(mutex);
        asked.push_back(unixNow);
        return Json(429, R"({"error":true,"reason":"Hourly API request limit exceeded."})");
    };
    ClockWindow& clock = CreateSettled(Changsha());
    ASSERT_EQ(asked.size(), 1u);
    const std::int64_t nextHour = asked[0] - asked[0] % 3600 + 3600;
    // Two hours in steps of 15 s: the forecast comes every hour, the air only
    // at its turn after the next whole hour.
    for (int step = 0; step < 2 * 240; ++step) {
        unixNow += 15;
        clock.Tick();
        SettleWorkers();
    }
    const std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GE(asked.size(), 2u);
    EXPECT_GE(asked[1], nextHour + 60) << "not before the next hour's turn";
    EXPECT_LE(asked.size(), 3u);
    EXPECT_EQ(StripText(), L"长沙 多云 18℃ 10~20℃") << "the forecast's line stays";
    EXPECT_NE(clock.weatherStrip()->TipText().find(L"429"), std::wstring::npos);
    EXPECT_TRUE(effects.errors.empty());
}
