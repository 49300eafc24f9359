// The real Vemora.exe with the forecast service's local stand-in: the place
// looked up and kept, the kept line at the next start, and a service that
// refuses for a while.
#include "clockprocess.h"
#include "testserver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace vemora;
using namespace vemora::e2e;
using namespace vemora::test;

namespace {

std::string Fixture(const wchar_t* name) {
    return ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES) + L"\\forecast\\" + name);
}

constexpr const char* kChangsha = R"({"results":[{"name":"长沙","latitude":28.19874,"longitude":112.97087,
    "feature_code":"PPLA","country_code":"CN","country":"中国","admin1":"湖南","population":7000000}]})";

// The three services on one stand-in.
HttpReply Services(const std::string& target) {
    if (target.rfind("/v1/search", 0) == 0)
        return {200, "application/json", kChangsha};
    if (target.rfind("/v1/air-quality", 0) == 0)
        return {200, "application/json", Fixture(L"air-changsha.json")};
    return {200, "application/json", Fixture(L"forecast-beijing.json")};
}

// The line the strip answers WM_GETTEXT with, from this other process: the
// tooltip's lines follow it.
std::wstring StripText(HWND strip) {
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    if (!strip ||
        !SendMessageTimeoutW(strip, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, &copied))
        return {};
    const std::wstring all = text;
    return all.substr(0, all.find(L"\r\n"));
}

} // namespace

TEST(EndToEndForecast, AnOldCityBecomesWeatherAndTheKeptLineShowsWithoutTheService) {
    LocalHttpServer server(Services);
    TempFolder folder;
    const std::wstring ini = folder.File(L"clockset.ini");
    const std::string services = "ForecastApi=http://" + server.Host() + "\r\nGeocodeApi=http://" + server.Host() +
                                 "\r\nAirQualityApi=http://" + server.Host() + "\r\n";
    WriteFileBytes(ini, "[Option]\r\nweather=1\r\nwake=0\r\nCity=CHANGSHA\r\n" + services);
    {
        ClockProcess clock(folder);
        HWND main = clock.WaitForWindow(L"Tfrmmain");
        ASSERT_NE(main, nullptr);
        HWND strip = clock.WaitForWindow(L"Tfrmweather");
        ASSERT_TRUE(PumpUntil([&] { return StripText(strip) == L"长沙 多云 18℃ 10~20℃ 良"; })) << StripText(strip);
        const std::vector<std::string> targets = server.Targets();
        ASSERT_EQ(targets.size(), 3u);
        EXPECT_EQ(targets[0], "/v1/search?name=CHANGSHA&count=10&language=zh&format=json");
        EXPECT_NE(targets[1].find("/v1/forecast?latitude=28.1987&longitude=112.9709&"), std::string::npos);
        EXPECT_EQ(targets[2].rfind("/v1/air-quality?latitude=28.1987&longitude=112.9709&", 0), 0u);
        EXPECT_TRUE(clock.MessageBoxTexts().empty());
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(clock.WaitForExit(10000));
    }
    EXPECT_EQ(IniValue(ini, "Latitude"), "28.1987");
    EXPECT_EQ(IniValue(ini, "Place"), WideToGbk(L"长沙"));

    // The service gone: the kept line at once, no message box.
    WriteFileBytes(ini, "[Option]\r\nweather=1\r\nwake=0\r\nPlace=" + WideToGbk(L"长沙") +
                            "\r\nLatitude=28.1987\r\nLongitude=112.9709\r\nForecastApi=http://127.0.0.1:" +
                            std::to_string(RefusingPort()) +
                            "\r\nAirQualityApi=http://127.0.0.1:" + std::to_string(RefusingPort()) + "\r\n");
    const auto start = std::chrono::steady_clock::now();
    ClockProcess clock(folder);
    clock.WaitForWindow(L"Tfrmmain");
    const double clockShown = Seconds(start);
    HWND strip = clock.WaitForWindow(L"Tfrmweather");
    ASSERT_TRUE(PumpUntil([&] { return StripText(strip).rfind(L"长沙 多云", 0) == 0; }, 15000));
    const double shown = Seconds(start);
    Sleep(3000); // the refused request has failed by now
    EXPECT_EQ(StripText(strip), L"长沙 多云 18℃ 10~20℃ 良") << "the kept air too";
    EXPECT_TRUE(clock.MessageBoxTexts().empty());
    std::printf("kept line on screen %.0f ms after the process started (the clock's window after %.0f ms)\n",
                shown * 1000, clockShown * 1000);
    PostMessageW(clock.WaitForWindow(L"Tfrmmain"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(clock.WaitForExit(10000));
}

TEST(EndToEndForecast, ARateLimitForTwoMinutesGetsAtMostThreeRequestsAndNoMessageBox) {
    LocalHttpServer server(LocalHttpServer::Always(
        {429, "application/json", R"({"error":true,"reason":"Hourly API request limit exceeded."})"}));
    TempFolder folder;
    WriteFileBytes(folder.File(L"clockset.ini"),
                   "[Option]\r\nweather=1\r\nwake=0\r\nPlace=" + WideToGbk(L"长沙") +
                       "\r\nLatitude=28.1987\r\nLongitude=112.9709\r\nForecastApi=http://" + server.Host() +
                       "\r\nAirQualityApi=http://" + server.Host() + "\r\n");
    ClockProcess clock(folder);
    HWND strip = clock.WaitForWindow(L"Tfrmweather");
    ASSERT_NE(strip, nullptr);
    const auto start = std::chrono::steady_clock::now();
    while (Seconds(start) < 120) {
        EXPECT_TRUE(clock.MessageBoxTexts().empty());
        Sleep(1000);
    }
    EXPECT_GE(server.Targets().size(), 1u);
    EXPECT_LE(server.Targets().size(), 3u);
    EXPECT_EQ(StripText(strip), L"天气暂不可用");
    PostMessageW(clock.WaitForWindow(L"Tfrmmain"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(clock.WaitForExit(10000));
}
