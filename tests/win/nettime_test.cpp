#include "online/nettime_win.h"

#include "harness.h"
#include "ntpresponder.h"

#include <cstring>

#include <chrono>
#include <thread>

using namespace vemora;
using namespace vemora::test;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

TEST(NetworkTime, ACorrectAnswerGivesLocalTime) {
    for (auto mode : {NtpResponder::Mode::Correct, NtpResponder::Mode::StrayThenCorrect}) {
        NtpResponder responder(mode);
        const NetworkTime t = QueryNetworkTime(responder.Server());
        EXPECT_NEAR(t.local, 46023.3333391, 1e-7) << "UTC+8, as the tests' time zone";
        EXPECT_NEAR(t.utc, 46023.0000058, 1e-7);
        EXPECT_EQ(responder.Requests(), 1);
    }
}

TEST(NetworkTime, UntrustedAnswersAndSilenceGiveZeroWithinTheBound) {
    using Mode = NtpResponder::Mode;
    for (auto mode : {Mode::OtherPort, Mode::Short, Mode::Echo, Mode::KissOfDeath, Mode::ZeroTimestamp,
                      Mode::Unsynchronised, Mode::Silent}) {
        NtpResponder responder(mode);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(GetNetworkTime(responder.Server()), 0) << static_cast<int>(mode);
        EXPECT_LT(Seconds(start), 3.5) << static_cast<int>(mode);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetNetworkTime("127.0.0.1:1"), 0) << "nobody listening";
    EXPECT_EQ(GetNetworkTime("no-such-host.invalid"), 0);
    EXPECT_EQ(GetNetworkTime(""), 0);
    EXPECT_LT(Seconds(start), 10.0);
}

using NetworkTimeAtStartup = ClockFixture;

TEST_F(NetworkTimeAtStartup, SetsTheSystemClockFromUtcThroughTheEffects) {
    NtpResponder responder(NtpResponder::Mode::Correct);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    ASSERT_EQ(effects.clockSets.size(), 1u);
    const SYSTEMTIME& utc = effects.clockSets[0];
    EXPECT_EQ(utc.wYear, 2026);
    EXPECT_EQ(utc.wMonth, 1);
    EXPECT_EQ(utc.wDay, 1);
    EXPECT_EQ(utc.wHour, 0);
    EXPECT_EQ(utc.wMinute, 0);
    EXPECT_EQ(utc.wSecond, 0);
    EXPECT_EQ(utc.wMilliseconds, 500);
    EXPECT_EQ(utc.wDayOfWeek, 4) << "a Thursday";
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(NetworkTimeAtStartup, AFailedQueryChangesNothingAndShowsNothing) {
    NtpResponder responder(NtpResponder::Mode::KissOfDeath);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    EXPECT_TRUE(effects.clockSets.empty());
    EXPECT_TRUE(effects.errors.empty());
    EXPECT_TRUE(main->TimerEnabled());
}
