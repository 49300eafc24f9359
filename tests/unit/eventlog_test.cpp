#include "base/eventlog.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(EventLog, OneLineOfUtf8PerEvent) {
    const DateTimeParts at{2026, 12, 7, 14, 5, 9, 120};
    const struct {
        const char* name;
        std::string part, message, line;
    } cases[] = {
        {"plain", "weather", "无法连接 api.open-meteo.com:443",
         "2026-12-07 14:05:09.120 weather: 无法连接 api.open-meteo.com:443\r\n"},
        {"line breaks", "horoscope", "first\r\nsecond\tthird",
         "2026-12-07 14:05:09.120 horoscope: first  second third\r\n"},
        {"GBK by mistake", "settings", "Font=" + Gbk("宋体"),
         "2026-12-07 14:05:09.120 settings: Font=\uFFFD\uFFFD\uFFFD\uFFFD\r\n"},
        {"too long", "time set", std::string(5000, 'x'),
         "2026-12-07 14:05:09.120 time set: " + std::string(kMaxLogMessageBytes, 'x') + "\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLogLine(at, c.part, c.message), c.line) << c.name;
}

TEST(EventLog, AFullFileIsSetAsideBeforeTheLineThatWouldPassTheCap) {
    const struct {
        std::uint64_t fileBytes;
        std::size_t lineBytes;
        bool rollover;
    } cases[] = {
        {0, 10, false},
        {0, kLogCapBytes + 1, false}, // an empty file takes any line
        {kLogCapBytes - 10, 10, false},
        {kLogCapBytes - 10, 11, true},
        {kLogCapBytes, 1, true},
        {kLogCapBytes * 3, 1, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogNeedsRollover(c.fileBytes, c.lineBytes), c.rollover) << c.fileBytes << " + " << c.lineBytes;
}
