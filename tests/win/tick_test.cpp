// The tick around sleep, changes of the time, and a screen nobody sees: the
// real messages sent to the clock window, with a fake clock.
#include "power/screenwatch_win.h"

#include "harness.h"
#include "testserver.h"

#include <wtsapi32.h>

#include <cstring>

using namespace vemora;
using namespace vemora::test;

namespace {

struct ClockTicks : ClockFixture {
    LocalHttpServer server{[](const std::string&) {
        return HttpReply{200, "text/html; charset=gbk", WideToGbk(L"<a>晴</a>")};
    }};
    ClockWindow& CreateWith(const std::string& extra) {
        return CreateSettled("WeatherHost=" + server.Host() + "\r\n" + extra);
    }
    void Settle() { SettleWorkers(); }
    void Send(UINT msg, WPARAM wParam, LPARAM lParam = 0) { SendMessageW(main->Handle(), msg, wParam, lParam); }
    void Display(DWORD state) {
        // The setting's data, a DWORD, runs past the declared one-byte array.
        alignas(POWERBROADCAST_SETTING) BYTE buffer[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
        auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer);
        setting->PowerSetting = kConsoleDisplayState;
        setting->DataLength = sizeof state;
        std::memcpy(setting->Data, &state, sizeof state);
        Send(WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(setting));
    }
    void Arm(int kind, int h, int m, int s) {
        main->SetArmedAction(ScheduledActionState{EncodeDate(2026, 12, 7) + EncodeTime(h, m, s, 0),
                                                  static_cast<ScheduledActionKind>(kind)});
    }
};

} // namespace

TEST_F(ClockTicks, SleepAndChangesOfTheTimeRealignAtOnce) {
    ClockWindow& clock = CreateWith("weather=1\r\nwake=0\r\n");
    fakeClock.Set(10, 50, 0);
    clock.Tick();
    Arm(1, 10, 55, 0);
    const size_t fetched = server.Targets().size();

    // Asleep from 10:50 to 12:20: the alarm is not played but told of; the
    // time shows at once; the weather of the new hour follows a moment later.
    Send(WM_POWERBROADCAST, PBT_APMSUSPEND);
    fakeClock.Set(12, 20, 0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    EXPECT_EQ(clock.LastTimeText(), "12:20:00");
    EXPECT_TRUE(effects.sounds.empty());
    EXPECT_FALSE(main->RunState().armed);
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_NE(effects.errors[0].find(L"已跳过定时播放声音"), std::wstring::npos) << WideToUtf8(effects.errors[0]);
    EXPECT_NE(effects.errors[0].find(L"10:55:00"), std::wstring::npos) << WideToUtf8(effects.errors[0]);
    EXPECT_EQ(server.Targets().size(), fetched) << "not before the network is back";
    ASSERT_TRUE(PumpUntil([&] { return server.Targets().size() == fetched + 1; }, 3000));

    // A short sleep in the same hour: no refresh. An action due 30 s before
    // the wake-up is carried out as usual.
    Settle();
    Arm(1, 12, 29, 30);
    fakeClock.Set(12, 30, 0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_EQ(effects.sounds.size(), 1u);
    Pump(300);
    EXPECT_EQ(server.Targets().size(), fetched + 1);

    // The time or its zone changed: shown at once.
    fakeClock.Set(17, 3, 9);
    Send(WM_TIMECHANGE, 0);
    EXPECT_EQ(clock.LastTimeText(), "17:03:09");
    EXPECT_EQ(effects.errors.size(), 1u);
}

TEST_F(ClockTicks, TheHourComesWithAnyTimeFormat) {
    TimeFormat us;
    us.twelveHour = true;
    us.separator = ".";
    timeFormat = us;
    ClockWindow& clock = CreateWith("weather=1\r\nwake=1\r\n");
    const size_t fetched = server.Targets().size();
    for (int s : {0, 1, 2}) {
        fakeClock.Set(15, 0, s);
        clock.Tick();
    }
    Settle();
    EXPECT_EQ(clock.ShakeCount(), 2);
    EXPECT_EQ(server.Targets().size(), fetched + 1);
    EXPECT_EQ(clock.LastTimeText(), "3.00.02 PM");
}

TEST_F(ClockTicks, NothingIsDrawnWhileNobodyCanSeeIt) {
    ClockWindow& clock = CreateWith("weather=1\r\nwake=1\r\n");
    EXPECT_TRUE(clock.Seen());
    for (int hidden = 0; hidden < 2; ++hidden) {
        SCOPED_TRACE(hidden ? "session locked" : "display off");
        if (hidden)
            Send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
        else
            Display(0);
        EXPECT_FALSE(clock.Seen());
        const int draws = clock.DrawCount(), shakes = clock.ShakeCount();
        const size_t fetched = server.Targets().size();
        const int hour = 11 + hidden;
        Arm(1, hour, 0, 1);
        fakeClock.Set(hour - 1, 59, 59);
        clock.Tick();
        fakeClock.Set(hour, 0, 0);
        clock.Tick();
        fakeClock.Set(hour, 0, 2);
        clock.Tick();
        Settle();
        EXPECT_EQ(clock.DrawCount(), draws) << "no drawing";
        EXPECT_EQ(clock.ShakeCount(), shakes + 1) << "the hourly alert";
        EXPECT_EQ(server.Targets().size(), fetched + 1) << "the hourly refresh";
        EXPECT_EQ(effects.sounds.size(), static_cast<size_t>(hidden + 1)) << "the timed action";
        fakeClock.Set(hour, 0, 3);
        if (hidden)
            Send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
        else
            Display(1);
        EXPECT_TRUE(clock.Seen());
        EXPECT_EQ(clock.DrawCount(), draws + 1) << "the right second at once";
        EXPECT_EQ(clock.LastTimeText(), std::to_string(hour) + ":00:03");
    }
    Display(2); // dimmed still shows
    EXPECT_TRUE(clock.Seen());
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(ClockTicks, AnActionMissedByAClockChangeIsToldAsSuch) {
    long long real = 0, awake = 0; // the counts that run on through sleep, and the awake part
    realMs = [&] { return real; };
    awakeMs = [&] { return awake; };
    struct Case {
        const char* what;
        long long realAdvanceMs, awakeAdvanceMs;
        UINT message;
        WPARAM wParam;
        const wchar_t* says;
    } cases[] = {
        {"the clock set forward", 2000, 2000, WM_TIMECHANGE, 0, L"系统时间被向前调整"},
        {"a sleep", 90 * 60 * 1000, 2000, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, L"睡眠"},
    };
    ClockWindow& clock = CreateWith("weather=0\r\nwake=0\r\n");
    for (const Case& c : cases) {
        effects.errors.clear();
        fakeClock.Set(10, 50, 0);
        clock.Tick();
        Arm(1, 10, 55, 0);
        fakeClock.Set(12, 20, 0);
        real += c.realAdvanceMs;
        awake += c.awakeAdvanceMs;
        Send(c.message, c.wParam);
        ASSERT_EQ(effects.errors.size(), 1u) << c.what;
        EXPECT_NE(effects.errors[0].find(L"已跳过定时播放声音"), std::wstring::npos) << c.what;
        EXPECT_NE(effects.errors[0].find(c.says), std::wstring::npos)
            << c.what << ": " << WideToUtf8(effects.errors[0]);
    }
    EXPECT_TRUE(effects.sounds.empty());
}
