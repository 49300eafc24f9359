// The whole program in one process, driven by a fake clock: everything on
// through an hour boundary, and providers that misbehave every way they can.
#include "calendar/calendarpopup_win.h"
#include "net/fetch_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "power/timedactiondialog_win.h"

#include "harness.h"
#include "ntpresponder.h"
#include "testserver.h"

#include <chrono>
#include <cstdio>
#include <random>

using namespace vemora;
using namespace vemora::test;

namespace {

std::string SheetPage() {
    return ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES "\\xingzuo_aries_day.html"));
}

HttpReply Provider(const std::string& target) {
    if (target.rfind("/iframe/astro/", 0) == 0)
        return HttpReply{200, "text/html; charset=gb2312", SheetPage()};
    return HttpReply{200, "text/html; charset=gbk", WideToGbk(L"<a href=/n>南京</a><a href=/w>晴</a><a>25℃</a>")};
}

size_t Count(const std::vector<std::string>& targets, const std::string& prefix) {
    size_t n = 0;
    for (const std::string& t : targets)
        n += t.rfind(prefix, 0) == 0;
    return n;
}

using WholeProgram = ClockFixture;

} // namespace

TEST_F(WholeProgram, EverythingOnThroughAnHourBoundary) {
    LocalHttpServer server(Provider);
    NtpResponder ntp(NtpResponder::Mode::Correct);
    WriteIni("[Option]\r\nweather=1\r\nshowxz=1\r\ngetnettime=1\r\nwake=1\r\nCity=NANJING\r\nXingzuo=0\r\n"
             "WeatherHost=" +
             server.Host() + "\r\nXingzuoHost=" + server.Host() + "\r\nNtpServer=" + ntp.Server() + "\r\n");
    fakeClock.now = {2026, 12, 7, 10, 59, 30, 0, 1};
    ClockWindow& clock = Create(true);
    ASSERT_TRUE(PumpUntil([&] {
        return !clock.WorkersRunning() && clock.horoscopePanel()->RenderCount() == 1 && !effects.clockSets.empty();
    }));
    EXPECT_EQ(Count(server.Targets(), "/skin/"), 1u);
    EXPECT_EQ(Count(server.Targets(), "/iframe/astro/view/aries/day/"), 1u);
    EXPECT_EQ(effects.clockSets.size(), 1u);
    EXPECT_EQ(main->Weather().Text(), WideToGbk(L"南京 , 晴 , 25℃"));
    clock.OpenCalendar();
    EXPECT_TRUE(IsWindowVisible(clock.calendarPopup()->Handle()));

    // An alarm one minute from 10:59:30.
    TimedActionDialog& timer = *clock.timedActionDialog();
    timer.ProposeDueTime();
    timer.SetWhenIndex(1);
    timer.minutesEdit.SetValue(1);
    timer.ChooseActionKind(ScheduledActionKind::Alarm);
    timer.Accept();

    const RECT before = [&] {
        RECT r{};
        GetWindowRect(clock.Handle(), &r);
        return r;
    }();
    for (int s : {58, 59}) {
        fakeClock.Set(10, 59, s);
        clock.Tick();
    }
    fakeClock.Set(11, 0, 0);
    clock.Tick();
    fakeClock.Set(11, 0, 1);
    clock.Tick();
    EXPECT_EQ(clock.ShakeCount(), 2) << "the hourly shake";
    RECT after{};
    GetWindowRect(clock.Handle(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(clock.LastTimeText(), "10:59:59");
    fakeClock.Set(11, 0, 2);
    clock.Tick();
    ASSERT_TRUE(PumpUntil([&] { return !clock.WorkersRunning(); }));
    EXPECT_EQ(Count(server.Targets(), "/skin/"), 2u) << "the weather refresh at :00:02";
    EXPECT_TRUE(effects.sounds.empty());
    fakeClock.Set(11, 0, 31);
    clock.Tick();
    EXPECT_EQ(effects.sounds.size(), 1u) << "the alarm, played through the effects";
    EXPECT_EQ(clock.LastTimeText(), "11:00:31");
    EXPECT_TRUE(effects.errors.empty());

    clock.Exit();
    EXPECT_FALSE(IsWindow(clock.Handle()));
    EXPECT_EQ(IniValue(IniPath(), "weather"), "1");
    EXPECT_EQ(IniValue(IniPath(), "showxz"), "1");
    EXPECT_EQ(IniValue(IniPath(), "getnettime"), "1");
    EXPECT_EQ(IniValue(IniPath(), "City"), "NANJING");
    EXPECT_EQ(IniValue(IniPath(), "WeatherHost"), server.Host());
}

TEST_F(WholeProgram, MisbehavingProvidersNeverStopTheClock) {
    LocalHttpServer server(Provider);
    WriteIni("[Option]\r\nweather=1\r\nwake=0\r\nCity=NANJING\r\nWeatherHost=" + server.Host() + "\r\n");
    ClockWindow& clock = Create(true);
    const std::string ini = ReadFileBytes(IniPath());
    std::mt19937 random(7);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    std::string big;
    while (big.size() < 10u << 20)
        big += "<li><a href=\"/x\">" + WideToGbk(L"多云转晴") + "</a></li>\n";
    const unsigned short refused = RefusingPort();
    struct Fault {
        const char* what;
        HttpReply reply;
        bool refuse;
        size_t errors;
    };
    auto reply = [](int status, std::string type, std::string body, HttpReply::Behaviour b) {
        HttpReply r{status, std::move(type), std::move(body)};
        r.behaviour = b;
        return r;
    };
    using B = HttpReply::Behaviour;
    const Fault faults[] = {
        {"connection refused", {}, true, 1},
        {"accepts and never answers", reply(200, "text/html", "", B::Hang), false, 1},
        {"trickles a byte a second", reply(200, "text/html", "<a>x</a>", B::Trickle), false, 1},
        {"closes at once", reply(200, "text/html", "", B::CloseAtOnce), false, 1},
        {"HTTP 500 with an error page", reply(500, "text/html", "<a href=/>Home</a>", B::Normal), false, 1},
        {"a 10 MB page", reply(200, "text/html; charset=gbk", big, B::Normal), false, 0},
        {"random bytes", reply(200, "application/octet-stream", noise, B::Normal), false, 0},
        {"UTF-8 declared as GBK", reply(200, "text/html; charset=gbk", WideToUtf8(L"<a>晴</a>"), B::Normal), false, 0},
        {"GBK declared as UTF-8", reply(200, "text/html; charset=utf-8", WideToGbk(L"<a>晴</a>"), B::Normal), false, 0},
    };
    int hour = 12;
    for (const Fault& f : faults) {
        Edit([&](Settings& s) { s.weatherHost = f.refuse ? "127.0.0.1:" + std::to_string(refused) : server.Host(); });
        server.SetHandler([r = f.reply](const std::string&) { return r; });
        SCOPED_TRACE(f.what);
        effects.errors.clear();
        const int draws = clock.DrawCount();
        const auto start = std::chrono::steady_clock::now();
        fakeClock.Set(hour++, 0, 2); // the hourly refresh
        SendMessageW(clock.Handle(), WM_TIMER, 1, 0);
        EXPECT_LT(Seconds(start), 0.1) << f.what << ": the tick never waits for the network";
        fakeClock.Set(hour - 1, 0, 3);
        SendMessageW(clock.Handle(), WM_TIMER, 1, 0);
        EXPECT_GT(clock.DrawCount(), draws) << f.what << ": the clock keeps ticking";
        ASSERT_TRUE(PumpUntil([&] { return !clock.WorkersRunning(); }));
        EXPECT_LT(Seconds(start), 9.0) << f.what;
        EXPECT_EQ(effects.errors.size(), f.errors) << f.what;
        EXPECT_TRUE(IsWindow(clock.Handle()));
    }
    EXPECT_EQ(ReadFileBytes(IniPath()), ini) << "clockset.ini untouched while running";
    clock.Exit();
    EXPECT_EQ(IniValue(IniPath(), "City"), "NANJING");
    EXPECT_EQ(IniValue(IniPath(), "weather"), "1");
}

// The clock is on the screen before any provider's answer; a weather host that
// refuses gives one message and keeps nothing else from starting.
TEST_F(WholeProgram, AWeatherFailureAtStartUpSkipsNothing) {
    LocalHttpServer server(Provider);
    NtpResponder ntp(NtpResponder::Mode::Correct);
    WriteIni(
        "[Option]\r\nweather=1\r\nshowxz=1\r\ngetnettime=1\r\nWeatherHost=127.0.0.1:" + std::to_string(RefusingPort()) +
        "\r\nXingzuoHost=" + server.Host() + "\r\nNtpServer=" + ntp.Server() + "\r\n");
    ClockWindow& clock = Create(true);
    EXPECT_TRUE(IsWindowVisible(clock.Handle()));
    EXPECT_EQ(clock.DrawCount(), 1);
    EXPECT_TRUE(effects.errors.empty()) << "nothing is told before the clock shows";
    ASSERT_TRUE(PumpUntil([&] { return !clock.WorkersRunning() && !clock.horoscopePanel()->Downloading(); }));
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_NE(effects.errors[0].find(L"连接失败"), std::wstring::npos) << WideToUtf8(effects.errors[0]);
    EXPECT_EQ(clock.horoscopePanel()->RenderCount(), 1) << "the horoscope came";
    EXPECT_EQ(effects.clockSets.size(), 1u) << "and the network time";
}

TEST_F(WholeProgram, SilentOrForgingTimeServersChangeNothing) {
    for (auto mode : {NtpResponder::Mode::Silent, NtpResponder::Mode::OtherPort, NtpResponder::Mode::WrongOrigin}) {
        NtpResponder ntp(mode);
        WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + ntp.Server() + "\r\n");
        const auto start = std::chrono::steady_clock::now();
        Create(true);
        ASSERT_TRUE(PumpUntil([&] { return !main->WorkersRunning(); }));
        EXPECT_LT(Seconds(start), 4.0);
        EXPECT_TRUE(effects.clockSets.empty());
        EXPECT_TRUE(effects.errors.empty());
        main.reset();
    }
}

TEST_F(WholeProgram, HandlesAndMemoryDoNotGrowOverManyTicks) {
    LocalHttpServer server(Provider);
    WriteIni("[Option]\r\nweather=1\r\nshowxz=1\r\nWeatherHost=" + server.Host() + "\r\nXingzuoHost=" + server.Host() +
             "\r\n");
    ClockWindow& clock = Create(true);
    auto cycle = [&](int n) {
        for (int i = 0; i < n; ++i) {
            fakeClock.Set(13, 10 + i / 60 % 40, i % 60);
            clock.Tick();
            if (i % 50 == 0) {
                clock.ShowWeather();
                clock.ShowHoroscope();
            }
            if (i % 10 == 0)
                Pump(5); // the workers' results come in as the ticks go on
        }
        Pump(10);
    };
    // Every refresh starts its workers; all have ended before the counts are taken.
    auto settled = [&] { return !clock.WorkersRunning() && !clock.horoscopePanel()->Downloading(); };
    struct Usage {
        HandleCounts handles;
        size_t memory;
        int system, threads;
    };
    // Runs ticks, waits for the workers, and counts what the process holds.
    auto usageAfter = [&](int ticks) {
        cycle(ticks);
        EXPECT_TRUE(PumpUntil(settled));
        Pump(100);
        return Usage{LiveHandleCounts(), PrivateBytes(), SystemHandleCount(GetCurrentProcessId()),
                     ThreadCount(GetCurrentProcessId())};
    };
    const auto [before, memoryBefore, systemBefore, threadsBefore] =
        usageAfter(200); // warm-up: caches and heaps settle
    const auto [after, memoryAfter, systemAfter, threadsAfter] = usageAfter(1000);
    EXPECT_LE(systemAfter, systemBefore + 4) << "the system's count: threads, sockets, events";
    EXPECT_LE(threadsAfter, threadsBefore + 2) << "every worker has ended";
    RecordProperty("system_handles", std::to_string(systemBefore) + " -> " + std::to_string(systemAfter));
    RecordProperty("threads", std::to_string(threadsBefore) + " -> " + std::to_string(threadsAfter));
    EXPECT_EQ(after.dc, before.dc);
    EXPECT_EQ(after.bitmap, before.bitmap);
    EXPECT_EQ(after.gdiOther, before.gdiOther);
    EXPECT_EQ(after.kernel, before.kernel);
    EXPECT_LT(memoryAfter, memoryBefore + 4u * 1024 * 1024)
        << "private bytes " << memoryBefore << " -> " << memoryAfter;
    RecordProperty("private_bytes_before", static_cast<int>(memoryBefore / 1024));
    RecordProperty("private_bytes_after", static_cast<int>(memoryAfter / 1024));
    EXPECT_TRUE(effects.errors.empty());
}

// The real clock and the real timer against providers that never finish: the
// clock's thread is never away from its messages for 100 ms, draws every
// second, and closes at once with its settings written.
TEST_F(WholeProgram, HungProvidersNeverHoldTheClock) {
    using B = HttpReply::Behaviour;
    LocalHttpServer server(Provider);
    NtpResponder ntp(NtpResponder::Mode::Silent);
    systemClock = true;
    for (B behaviour : {B::Hang, B::Trickle}) {
        SCOPED_TRACE(behaviour == B::Hang ? "hangs" : "trickles");
        server.SetHandler([behaviour](const std::string&) {
            HttpReply r{200, "text/html", "<a>x</a>"};
            r.behaviour = behaviour;
            return r;
        });
        WriteIni("[Option]\r\nweather=1\r\nshowxz=1\r\ngetnettime=1\r\nwake=0\r\nWeatherHost=" + server.Host() +
                 "\r\nXingzuoHost=" + server.Host() + "\r\nNtpServer=" + ntp.Server() + "\r\n");
        const auto start = std::chrono::steady_clock::now();
        ClockWindow& clock = Create(true);
        const double shown = Seconds(start);
        EXPECT_LT(shown, 1.0) << "shown and drawn without waiting";
        EXPECT_EQ(clock.DrawCount(), 1);
        const double longest = PumpLongestMs(3500);
        EXPECT_LT(longest, 100.0);
        EXPECT_GE(clock.DrawCount(), 4) << "a drawing every second";
        EXPECT_TRUE(clock.WorkersRunning());
        const auto exit = std::chrono::steady_clock::now();
        clock.Exit();
        const double closed = Seconds(exit);
        EXPECT_LT(closed, 1.0);
        EXPECT_FALSE(IsWindow(clock.Handle()));
        EXPECT_EQ(IniValue(IniPath(), "weather"), "1") << "the settings are written";
        std::printf("%s: shown and drawn after %.0f ms, longest away from the messages %.1f ms, closed in %.0f ms\n",
                    behaviour == B::Hang ? "hang" : "trickle", shown * 1000, longest, closed * 1000);
        main.reset();
        Pump(100); // results still on their way find no window
        EXPECT_TRUE(effects.errors.empty());
    }
}
