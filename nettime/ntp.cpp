#include "nettime/ntp.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vemora {

namespace {

NtpTime BigEndian64(const std::uint8_t* p) {
    NtpTime v = 0;
    for (int i = 0; i < 8; ++i)
        v = v << 8 | p[i];
    return v;
}

constexpr double kTwo32 = 4294967296.0;

// A port of 1 to 65535 in decimal digits.
bool ReadPort(const std::string& digits, unsigned short& port) {
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long value = std::strtol(digits.c_str(), nullptr, 10);
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<unsigned short>(value);
    return true;
}

} // namespace

NtpPacket NtpRequest(NtpTime transmit) {
    NtpPacket packet{};
    packet[0] = 0x1B;
    for (int i = 0; i < 8; ++i)
        packet[40 + i] = static_cast<std::uint8_t>(transmit >> (56 - 8 * i));
    return packet;
}

NtpVerdict ParseNtpReply(const std::uint8_t* data, std::size_t size, NtpTime sent, NtpReply& reply) {
    if (!data || size < kNtpPacketSize || BigEndian64(data + 24) != sent)
        return NtpVerdict::NotOurs;
    const int leap = data[0] >> 6;
    const int mode = data[0] & 7;
    const int stratum = data[1];
    if (mode != 4 || leap == 3 || stratum < 1 || stratum > 15)
        return NtpVerdict::Rejected;
    reply.receive = BigEndian64(data + 32);
    reply.transmit = BigEndian64(data + 40);
    // A server that has not filled in when it received or sent the reply has
    // no time to give: a zero receive time would move the clock by decades.
    return reply.receive != 0 && reply.transmit != 0 ? NtpVerdict::Accepted : NtpVerdict::Rejected;
}

double NtpOffsetSeconds(NtpTime t1, NtpTime t2, NtpTime t3, NtpTime t4) {
    // Differences modulo 2^64 read as signed: right across the era wrap for
    // clocks less than 68 years apart.
    const double there = static_cast<double>(static_cast<std::int64_t>(t2 - t1));
    const double back = static_cast<double>(static_cast<std::int64_t>(t3 - t4));
    return (there + back) / 2 / kTwo32;
}

NtpTime NtpFromFileTime(std::uint64_t fileTime) {
    constexpr std::uint64_t kUnitsPerSecond = 10000000;
    constexpr std::uint64_t k1601To1900 = 9435484800; // seconds
    const std::uint64_t seconds = fileTime / kUnitsPerSecond - k1601To1900;
    const std::uint64_t fraction = (fileTime % kUnitsPerSecond << 32) / kUnitsPerSecond;
    return (seconds & 0xFFFFFFFFu) << 32 | fraction;
}

NtpTime NtpAddSeconds(NtpTime t, double seconds) {
    return t + static_cast<NtpTime>(static_cast<std::int64_t>(std::llround(seconds * kTwo32)));
}

double NtpToUtc(NtpTimestamp t) {
    const std::uint32_t ms = static_cast<std::uint32_t>(static_cast<std::uint64_t>(t.fraction) * 1000 >> 32);
    // Era 1 starts when the counter wraps in February 2036 (RFC 4330, section 3).
    const double seconds = static_cast<double>(t.seconds) + ((t.seconds & 0x80000000u) ? 0.0 : 4294967296.0);
    const double daysSince1900 = (seconds + ms / 1000.0) / 86400.0;
    return daysSince1900 + 2; // 1900-01-01 is day 2 of the day count
}

std::string ClockOffsetText(double offsetSeconds) {
    char amount[32];
    std::snprintf(amount, sizeof amount, "%.1f", std::fabs(offsetSeconds));
    return std::string("本机时间比网络时间") + (offsetSeconds >= 0 ? "慢 " : "快 ") + amount + " 秒";
}

std::string ClockNotSetText(double offsetSeconds, bool noPrivilege, unsigned long code) {
    std::string text = "没能按网络时间校准系统时间：" + ClockOffsetText(offsetSeconds) + "。\n";
    if (noPrivilege)
        return text + "没有设置系统时间的权限：请以管理员身份运行本程序，或在设置中关闭自动校时。";
    return text + "系统拒绝设置时间（错误 " + std::to_string(code) + "）。";
}

bool SplitHostPort(const std::string& text, std::string& host, unsigned short& port, unsigned short defaultPort) {
    std::string s = text;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.erase(s.begin());
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    port = defaultPort;
    if (s.starts_with('[')) {
        // "[fe80::1]" or "[fe80::1]:123": the brackets set an IPv6 address off from its port.
        const size_t close = s.find(']');
        if (close == std::string::npos)
            return false;
        const std::string rest = s.substr(close + 1);
        if (!rest.empty() && (rest.front() != ':' || !ReadPort(rest.substr(1), port)))
            return false;
        host = s.substr(1, close - 1);
        return !host.empty();
    }
    const size_t colon = s.rfind(':');
    // More than one colon: a bare IPv6 address, which cannot carry a port.
    if (colon != std::string::npos && s.find(':') == colon) {
        if (!ReadPort(s.substr(colon + 1), port))
            return false;
        s.resize(colon);
    }
    host = s;
    return !host.empty();
}

} // namespace vemora
