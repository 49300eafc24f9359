// The event log on disk: where it goes, how it stays small, and what a run
// of the clock leaves in it.
#include "base/filelog_win.h"
#include "base/version.h"
#include "horoscope/horoscopepanel_win.h"

#include "harness.h"
#include "ntpresponder.h"

using namespace vemora;
using namespace vemora::test;

namespace {

using ClockLog = ClockFixture;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(ClockLogFile, GoesElsewhereWhenItsFolderRefusesAndKeepsOneOlderFile) {
    TempFolder settings, fallback;
    // Root writes any file under Wine: a folder standing where the log
    // should be is what refuses it.
    CreateDirectoryW(settings.File(L"vemora.log").c_str(), nullptr);
    FileLog log(settings.Path(), fallback.Path());
    EXPECT_EQ(log.Path(), fallback.File(L"vemora.log"));

    const std::string message(1000, 'm');
    for (int i = 0; i < 600; ++i) // about 600 KB
        log.Write("weather", message);
    const std::string newest = ReadFileBytes(fallback.File(L"vemora.log"));
    const std::string older = ReadFileBytes(fallback.File(L"vemora.log.1"));
    EXPECT_LE(newest.size(), kLogCapBytes);
    EXPECT_LE(older.size(), kLogCapBytes);
    EXPECT_GT(older.size(), kLogCapBytes - 2000) << "full before it was set aside";
    EXPECT_TRUE(newest.ends_with(" weather: " + message + "\r\n"));
    RemoveDirectoryW(settings.File(L"vemora.log").c_str());
}

TEST_F(ClockLog, TellsTheStartTheEndAndEveryFailure) {
    NtpResponder ntp(NtpResponder::Mode::Silent);
    // Nothing listens on port 9 of this machine: the horoscope page fails.
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + ntp.Server() + "\r\nshowxz=1\r\nXingzuoHost=127.0.0.1:9\r\n");
    ClockWindow& clock = Create(true);
    ASSERT_TRUE(PumpUntil([&] { return !clock.WorkersRunning() && !clock.horoscopePanel()->Downloading(); }));
    Pump(100);
    EXPECT_EQ(clock.LogPath(), folder.File(L"vemora.log"));
    main.reset();

    const std::string log = ReadFileBytes(folder.File(L"vemora.log"));
    EXPECT_TRUE(Has(log, "program: Vemora " VEMORA_VERSION_FULL " starts\r\n")) << log;
    EXPECT_TRUE(Has(log, "time set: no answer from " + ntp.Server() + "\r\n")) << log;
    EXPECT_TRUE(Has(log, " horoscope: ")) << log;
    ASSERT_FALSE(effects.errors.empty());
    EXPECT_TRUE(Has(log, " error: " + WideToUtf8(effects.errors.front()))) << "what the user was shown";
    EXPECT_TRUE(log.ends_with("program: Vemora " VEMORA_VERSION_FULL " ends\r\n")) << log;
}
