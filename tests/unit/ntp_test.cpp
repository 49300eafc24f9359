#include "base/datetime.h"
#include "nettime/ntp.h"

#include <gtest/gtest.h>

#include <array>

using namespace vemora;

namespace {

constexpr NtpTime kSent = 0x0123456789ABCDEFull;

void PutTimestamp(NtpPacket& p, size_t at, std::uint32_t seconds, std::uint32_t fraction) {
    for (int i = 0; i < 4; ++i) {
        p[at + i] = static_cast<std::uint8_t>(seconds >> (24 - 8 * i));
        p[at + 4 + i] = static_cast<std::uint8_t>(fraction >> (24 - 8 * i));
    }
}

// A reply sent at `seconds`.`fraction`, received by the server a second earlier.
NtpPacket Reply(std::uint8_t first, std::uint8_t stratum, std::uint32_t seconds, std::uint32_t fraction,
                NtpTime originate = kSent) {
    NtpPacket p{};
    p[0] = first;
    p[1] = stratum;
    PutTimestamp(p, 32, seconds ? seconds - 1 : 0, fraction);
    PutTimestamp(p, 40, seconds, fraction);
    for (int i = 0; i < 8; ++i)
        p[24 + i] = static_cast<std::uint8_t>(originate >> (56 - 8 * i));
    return p;
}

NtpPacket WithReceive(NtpPacket p, std::uint32_t seconds, std::uint32_t fraction) {
    PutTimestamp(p, 32, seconds, fraction);
    return p;
}

NtpTime At(std::uint32_t seconds, double fraction = 0) {
    return static_cast<NtpTime>(seconds) << 32 | static_cast<std::uint32_t>(fraction * 4294967296.0);
}

} // namespace

TEST(Ntp, RequestIs48BytesStarting0x1BWithItsNonceLast) {
    NtpPacket r = NtpRequest(kSent);
    EXPECT_EQ(r[0], 0x1B);
    for (size_t i = 1; i < 40; ++i)
        EXPECT_EQ(r[i], 0) << i;
    const std::uint8_t nonce[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_TRUE(std::equal(nonce, nonce + 8, r.begin() + 40));
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
    using V = NtpVerdict;
    struct Case {
        const char* what;
        NtpPacket packet;
        size_t size;
        NtpVerdict verdict;
    };
    const Case cases[] = {
        {"a good reply", Reply(0x1C, 2, 3976214400u, 1), 48, V::Accepted},
        {"version 4 server", Reply(0x24, 1, 3976214400u, 0), 48, V::Accepted},
        {"short", Reply(0x1C, 2, 3976214400u, 0), 47, V::NotOurs},
        {"another request's answer", Reply(0x1C, 2, 3976214400u, 0, kSent + 1), 48, V::NotOurs},
        {"no originate at all", Reply(0x1C, 2, 3976214400u, 0, 0), 48, V::NotOurs},
        {"our own request echoed (mode 3)", Reply(0x1B, 2, 3976214400u, 0), 48, V::Rejected},
        {"kiss of death (stratum 0)", Reply(0x1C, 0, 3976214400u, 0), 48, V::Rejected},
        {"stratum 16", Reply(0x1C, 16, 3976214400u, 0), 48, V::Rejected},
        {"unsynchronised (leap 3)", Reply(0xDC, 2, 3976214400u, 0), 48, V::Rejected},
        {"zero timestamps", Reply(0x1C, 2, 0, 0), 48, V::Rejected},
        {"zero receive timestamp", WithReceive(Reply(0x1C, 2, 3976214400u, 1), 0, 0), 48, V::Rejected},
        {"zero transmit timestamp", WithReceive(Reply(0x1C, 2, 0, 0), 3976214400u, 1), 48, V::Rejected},
        {"receive timestamp a fraction past zero", WithReceive(Reply(0x1C, 2, 3976214400u, 1), 0, 1), 48, V::Accepted},
        {"broadcast (mode 5)", Reply(0x1D, 2, 3976214400u, 0), 48, V::Rejected},
    };
    for (const Case& c : cases) {
        NtpReply reply;
        EXPECT_EQ(ParseNtpReply(c.packet.data(), c.size, kSent, reply), c.verdict) << c.what;
    }
    NtpReply reply;
    ASSERT_EQ(ParseNtpReply(Reply(0x1C, 2, 3976214400u, 0x80000000u).data(), 48, kSent, reply), V::Accepted);
    EXPECT_EQ(reply.transmit, At(3976214400u, 0.5));
    EXPECT_EQ(reply.receive, At(3976214399u, 0.5));
}

TEST(Ntp, OffsetFromTheFourTimestamps) {
    struct Case {
        const char* what;
        NtpTime t1, t2, t3, t4;
        double offset;
    };
    const std::uint32_t s = 3976214400u;
    const Case cases[] = {
        {"server 1.3 s ahead, 200 ms each way", At(s), At(s + 1, 0.5), At(s + 1, 0.5), At(s, 0.4), 1.3},
        {"server 2.5 s behind, 10 ms there and 300 ms back", At(s + 10), At(s + 7, 0.51), At(s + 7, 0.52),
         At(s + 10, 0.32), -2.5 - 0.145},
        {"across the 2036 wrap, a second ahead", At(0xFFFFFFFFu, 0.5), At(0, 0.7), At(0, 0.7), At(0xFFFFFFFFu, 0.9),
         1.0},
        {"a server an hour ahead", At(s), At(s + 3600), At(s + 3600), At(s), 3600},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(NtpOffsetSeconds(c.t1, c.t2, c.t3, c.t4), c.offset, 1e-6) << c.what;
    // 2026-01-01 00:00:00.5 UTC as a Windows file time.
    const std::uint64_t fileTime = 13411699200ull * 10000000ull + 5000000ull;
    EXPECT_EQ(NtpFromFileTime(fileTime), At(s, 0.5));
    EXPECT_EQ(Split(NtpAddSeconds(At(s, 0.5), -1.25)).seconds, s - 1);
    EXPECT_NEAR(Split(NtpAddSeconds(At(s, 0.5), -1.25)).fraction / 4294967296.0, 0.25, 1e-9);
}

TEST(Ntp, TheClockNotSetMessageSaysWhyAndByHowMuch) {
    EXPECT_EQ(ClockOffsetText(1.3), "本机时间比网络时间慢 1.3 秒");
    EXPECT_EQ(ClockOffsetText(-0.04), "本机时间比网络时间快 0.0 秒");
    const std::string denied = ClockNotSetText(-12.26, true, 1314);
    EXPECT_NE(denied.find("快 12.3 秒"), std::string::npos) << denied;
    EXPECT_NE(denied.find("管理员"), std::string::npos) << denied;
    EXPECT_NE(denied.find("关闭自动校时"), std::string::npos) << denied;
    EXPECT_NE(ClockNotSetText(2, false, 87).find("错误 87"), std::string::npos);
}

TEST(Ntp, ServerNames) {
    const struct {
        const char* text;
        const char* host;
        unsigned short port;
    } good[] = {
        {"127.0.0.1:12345", "127.0.0.1", 12345},
        {" time.example ", "time.example", 123},
        {"1.2.3.4", "1.2.3.4", 123},
        {"host:123", "host", 123},
        {"fe80::1", "fe80::1", 123},
        {"::1", "::1", 123},
        {"2001:db8::123", "2001:db8::123", 123},
        {"[fe80::1]:123", "fe80::1", 123},
        {"[::1]:12345", "::1", 12345},
        {"[fe80::1]", "fe80::1", 123},
    };
    for (const auto& g : good) {
        std::string host;
        unsigned short port = 0;
        EXPECT_TRUE(SplitHostPort(g.text, host, port, 123)) << g.text;
        EXPECT_EQ(host, g.host) << g.text;
        EXPECT_EQ(port, g.port) << g.text;
    }
    std::string host;
    unsigned short port = 0;
    for (const char* bad : {"", ":123", "host:", "host:0", "host:65536", "host:12a", "[fe80::1", "[]:123",
                            "[fe80::1]:", "[fe80::1]:0", "[fe80::1]123", "[fe80::1]:12a"})
        EXPECT_FALSE(SplitHostPort(bad, host, port, 123)) << bad;
}
