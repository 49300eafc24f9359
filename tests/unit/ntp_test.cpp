#include "base/datetime.h"
#include "online/ntp.h"

#include <gtest/gtest.h>

#include <array>

using namespace vemora;

namespace {

NtpPacket Reply(std::uint8_t first, std::uint8_t stratum, std::uint32_t seconds, std::uint32_t fraction) {
    NtpPacket p{};
    p[0] = first;
    p[1] = stratum;
    for (int i = 0; i < 4; ++i) {
        p[40 + i] = static_cast<std::uint8_t>(seconds >> (24 - 8 * i));
        p[44 + i] = static_cast<std::uint8_t>(fraction >> (24 - 8 * i));
    }
    return p;
}

} // namespace

TEST(Ntp, RequestIs48BytesStarting0x1B) {
    NtpPacket r = NtpRequest();
    EXPECT_EQ(r[0], 0x1B);
    for (size_t i = 1; i < r.size(); ++i)
        EXPECT_EQ(r[i], 0) << i;
}

TEST(Ntp, ConversionOfTheTransmitTimestamp) {
    // 2026-01-01 00:00:00.5 UTC in China (bias -480) is 08:00:00.5 local.
    const double local = UtcToLocal(NtpToUtc({3976214400u, 0x80000000u}), -480);
    EXPECT_NEAR(local, 46023.3333391, 1e-7);
    const DateTimeParts t = DecodeDateTime(local);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.hour, 8);
    EXPECT_EQ(t.millisecond, 500);
    // Summer time: the bias in force (-60 for UTC+1 in winter, -120 in summer).
    EXPECT_NEAR(UtcToLocal(NtpToUtc({3976214400u, 0}), -120) - NtpToUtc({3976214400u, 0}), 2.0 / 24, 1e-9);
    // Milliseconds are truncated: never 1000.
    EXPECT_EQ(DecodeDateTime(NtpToUtc({3976214400u, 0xFFFFFFFFu})).millisecond, 999);
    EXPECT_EQ(DecodeDateTime(NtpToUtc({3976214400u, 4294967u})).millisecond, 0);
    EXPECT_EQ(DecodeDateTime(NtpToUtc({3976214400u, 4294968u})).millisecond, 1);
    // Year, month, day, hour, minute and second.
    const auto civil = [](double t) {
        const DateTimeParts p = DecodeDateTime(t);
        return std::array<int, 6>{p.year, p.month, p.day, p.hour, p.minute, p.second};
    };
    // Top bit set: the era that began in 1900, read unsigned (1968..2036).
    EXPECT_EQ(civil(NtpToUtc({0x80000000u, 0})), (std::array<int, 6>{1968, 1, 20, 3, 14, 8}));
    // Top bit clear: the era after the wrap in 2036, not 1900.
    EXPECT_EQ(civil(NtpToUtc({0, 0})), (std::array<int, 6>{2036, 2, 7, 6, 28, 16}));
    EXPECT_EQ(DecodeDateTime(NtpToUtc({0x7FFFFFFFu, 0})).year, 2104);
}

TEST(Ntp, OnlyTrustworthyRepliesAreAccepted) {
    struct Case {
        const char* what;
        NtpPacket packet;
        size_t size;
        bool accepted;
    };
    const Case cases[] = {
        {"a good reply", Reply(0x1C, 2, 3976214400u, 1), 48, true},
        {"version 4 server", Reply(0x24, 1, 3976214400u, 0), 48, true},
        {"short", Reply(0x1C, 2, 3976214400u, 0), 47, false},
        {"our own request echoed (mode 3)", Reply(0x1B, 2, 3976214400u, 0), 48, false},
        {"kiss of death (stratum 0)", Reply(0x1C, 0, 3976214400u, 0), 48, false},
        {"stratum 16", Reply(0x1C, 16, 3976214400u, 0), 48, false},
        {"unsynchronised (leap 3)", Reply(0xDC, 2, 3976214400u, 0), 48, false},
        {"zero timestamp", Reply(0x1C, 2, 0, 0), 48, false},
        {"broadcast (mode 5)", Reply(0x1D, 2, 3976214400u, 0), 48, false},
    };
    for (const Case& c : cases) {
        NtpTimestamp t;
        EXPECT_EQ(ParseNtpReply(c.packet.data(), c.size, t), c.accepted) << c.what;
    }
}

TEST(Ntp, ServerNames) {
    std::string host;
    unsigned short port = 0;
    EXPECT_TRUE(SplitHostPort("127.0.0.1:12345", host, port, 123));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 12345);
    EXPECT_TRUE(SplitHostPort(" time.example ", host, port, 123));
    EXPECT_EQ(host, "time.example");
    EXPECT_EQ(port, 123);
    for (const char* bad : {"", ":123", "host:", "host:0", "host:65536", "host:12a"})
        EXPECT_FALSE(SplitHostPort(bad, host, port, 123)) << bad;
}
