#include "nettime/nettime_win.h"

#include "harness.h"
#include "ntpresponder.h"

#include <cstring>

#include <chrono>
#include <thread>

using namespace vemora;
using namespace vemora::test;

TEST(NetworkTime, ACorrectAnswerGivesLocalTime) {
    for (auto mode : {NtpResponder::Mode::Correct, NtpResponder::Mode::StrayThenCorrect,
                      NtpResponder::Mode::OversizedThenCorrect}) {
        NtpResponder responder(mode);
        const NetworkTime t = QueryNetworkTime(responder.Server());
        // Within 0.1 s (1e-6 day): half the round trip is added, and a busy
        // machine lengthens it.
        EXPECT_NEAR(t.local, 46023.3333391, 1e-6) << "UTC+8, as the tests' time zone";
        EXPECT_NEAR(t.utc, 46023.0000058, 1e-6);
        EXPECT_EQ(responder.Requests(), 1);
    }
}

TEST(NetworkTime, AServerOnIPv6) {
    for (auto mode : {NtpResponder::Mode::Correct, NtpResponder::Mode::StrayThenCorrect}) {
        NtpResponder responder(mode, 0, 0, AF_INET6);
        if (!responder.Bound())
            GTEST_SKIP() << "no IPv6 loopback here";
        EXPECT_NEAR(QueryNetworkTime(responder.Server()).utc, 46023.0000058, 1e-6) << responder.Server();
        EXPECT_EQ(responder.Requests(), 1);
    }
    NtpResponder silent(NtpResponder::Mode::OtherPort, 0, 0, AF_INET6);
    EXPECT_EQ(QueryNetworkTime(silent.Server()).utc, 0) << "an answer from another port is no answer";
}

TEST(NetworkTime, UntrustedAnswersAndSilenceGiveZeroWithinTheBound) {
    using Mode = NtpResponder::Mode;
    for (auto mode : {Mode::OtherPort, Mode::Short, Mode::Echo, Mode::KissOfDeath, Mode::ZeroTimestamp,
                      Mode::Unsynchronised, Mode::Silent, Mode::WrongOrigin}) {
        NtpResponder responder(mode);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(QueryNetworkTime(responder.Server()).utc, 0) << static_cast<int>(mode);
        EXPECT_LT(Seconds(start), 3.5) << static_cast<int>(mode);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QueryNetworkTime("127.0.0.1:1").utc, 0) << "nobody listening";
    EXPECT_EQ(QueryNetworkTime("no-such-host.invalid").utc, 0);
    EXPECT_EQ(QueryNetworkTime("").utc, 0);
    EXPECT_LT(Seconds(start), 10.0);
}

using NetworkTimeAtStartup = ClockFixture;

// The set time in milliseconds after the moment the program asked to set it.
double SetAheadMs(const RecordingEffects& effects) {
    FILETIME set{};
    SystemTimeToFileTime(&effects.clockSets.at(0), &set);
    const unsigned long long t = static_cast<unsigned long long>(set.dwHighDateTime) << 32 | set.dwLowDateTime;
    return (static_cast<double>(t) - static_cast<double>(effects.clockSetAt.at(0))) / 10000.0;
}

TEST_F(NetworkTimeAtStartup, SetsTheSystemClockFromUtcThroughTheEffects) {
    NtpResponder responder(NtpResponder::Mode::Correct);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    ASSERT_TRUE(PumpUntil([&] { return !effects.clockSets.empty(); }, 5000));
    const SYSTEMTIME& utc = effects.clockSets[0];
    EXPECT_EQ(utc.wYear, 2026);
    EXPECT_EQ(utc.wMonth, 1);
    EXPECT_EQ(utc.wDay, 1);
    EXPECT_EQ(utc.wHour, 0);
    EXPECT_EQ(utc.wMinute, 0);
    EXPECT_NEAR(utc.wSecond * 1000 + utc.wMilliseconds, 500, 100) << "the server's time as it is by now";
    EXPECT_EQ(utc.wDayOfWeek, 4) << "a Thursday";
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(NetworkTimeAtStartup, ThePathsDelayIsNotInTheSetTime) {
    // The server's clock 1.3 s ahead, behind 200 ms of network each way.
    NtpResponder responder(NtpResponder::Mode::Now, 1.3, 200);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    const auto start = std::chrono::steady_clock::now();
    Create(true);
    EXPECT_LT(Seconds(start), 0.4) << "the clock shows without waiting for the answer";
    ASSERT_TRUE(PumpUntil([&] { return !effects.clockSets.empty(); }, 5000));
    EXPECT_NEAR(SetAheadMs(effects), 1300, 20);
    RecordProperty("set_error_ms", static_cast<int>(SetAheadMs(effects) - 1300));
    EXPECT_TRUE(effects.errors.empty()) << "a success stays silent";
}

TEST_F(NetworkTimeAtStartup, ARefusedSettingIsToldOnceWithReasonAndOffset) {
    effects.refuseClockWith = ERROR_PRIVILEGE_NOT_HELD;
    NtpResponder responder(NtpResponder::Mode::Now, 1.3);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    ASSERT_TRUE(PumpUntil([&] { return !effects.errors.empty(); }, 5000));
    Pump(200);
    ASSERT_EQ(effects.errors.size(), 1u);
    const std::wstring& text = effects.errors[0];
    EXPECT_EQ(text.rfind(L"校时：", 0), 0u) << WideToUtf8(text);
    EXPECT_NE(text.find(L"本机时间比网络时间慢 1.3 秒"), std::wstring::npos) << WideToUtf8(text);
    EXPECT_NE(text.find(L"管理员"), std::wstring::npos) << WideToUtf8(text);
    EXPECT_NE(text.find(L"关闭自动校时"), std::wstring::npos) << WideToUtf8(text);
}

// A server that gives no time sets nothing and opens no box; the tray's tip
// says it, with the server and its port.
TEST_F(NetworkTimeAtStartup, AFailedQueryChangesNothingAndIsToldInTheTip) {
    NtpResponder responder(NtpResponder::Mode::KissOfDeath);
    WriteIni("[Option]\r\ngetnettime=1\r\nTrayIcon=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    ASSERT_TRUE(PumpUntil([&] { return !main->WorkersRunning(); }, 5000));
    EXPECT_EQ(responder.Requests(), 1);
    EXPECT_TRUE(effects.clockSets.empty());
    EXPECT_TRUE(effects.errors.empty());
    EXPECT_TRUE(main->TimerEnabled());
    const std::wstring told = L"校时失败：" + Utf8ToWide(responder.Server()) + L" 无应答";
    EXPECT_NE(main->Tray().Tip().find(told), std::wstring::npos) << WideToUtf8(main->Tray().Tip());
}
