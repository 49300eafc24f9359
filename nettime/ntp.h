#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vemora {

inline constexpr std::size_t kNtpPacketSize = 48;
using NtpPacket = std::array<std::uint8_t, kNtpPacketSize>;

// An NTP timestamp as 64 bits: whole seconds since 1900 (modulo 2^32) in the
// top half, the fraction of a second in units of 2^-32 s in the bottom half.
using NtpTime = std::uint64_t;

// The client request: leap indicator 0, version 3, mode 3, and `transmit`,
// a random number, in the transmit timestamp; all else zero. The server
// copies it into its reply's originate timestamp, which is how the reply is
// told from any other datagram (RFC 4330, section 5).
NtpPacket NtpRequest(NtpTime transmit);

struct NtpTimestamp {
    std::uint32_t seconds = 0;
    std::uint32_t fraction = 0;
};

struct NtpReply {
    NtpTime receive = 0;  // T2: when the server got the request, by its clock
    NtpTime transmit = 0; // T3: when it sent the reply
};

enum class NtpVerdict {
    Accepted,
    NotOurs,  // shorter than a packet, or another request's answer: keep waiting
    Rejected, // the server's answer, but not one to set a clock by
};

// A reply is ours when it is at least 48 bytes and its originate timestamp is
// the request's transmit timestamp. It is accepted only when it can be trusted
// to set a clock: mode 4 (server), a leap indicator other than 3 (clock not
// synchronised), stratum 1 to 15, and non-zero receive and transmit
// timestamps (RFC 4330, section 5).
NtpVerdict ParseNtpReply(const std::uint8_t* data, std::size_t size, NtpTime sent, NtpReply& reply);

// How far the server's clock is ahead of ours, in seconds, from the four
// timestamps: T1 request sent and T4 reply received by our clock, T2 and T3
// from the reply. The network's delay each way cancels out when it is the
// same both ways. Works across the 2036 wrap of the seconds counter.
double NtpOffsetSeconds(NtpTime t1, NtpTime t2, NtpTime t3, NtpTime t4);

// A moment counted in 100 ns units since 1601-01-01 UTC (a Windows file time) as an NTP timestamp.
NtpTime NtpFromFileTime(std::uint64_t fileTime);
// t moved by a number of seconds.
NtpTime NtpAddSeconds(NtpTime t, double seconds);
inline NtpTimestamp Split(NtpTime t) {
    return {static_cast<std::uint32_t>(t >> 32), static_cast<std::uint32_t>(t & 0xFFFFFFFFu)};
}

// The timestamp as a UTC date-time (day count). Milliseconds are truncated.
// Seconds whose top bit is clear count from 2036-02-07 06:28:16 UTC, where the
// 32-bit counter wraps, not from 1900.
double NtpToUtc(NtpTimestamp t);

// UTC to local time with the bias in force (minutes, UTC = local + bias).
inline double UtcToLocal(double utc, int biasMinutes) {
    return utc - biasMinutes / 1440.0;
}

// "本机时间比网络时间慢 1.3 秒" (our clock behind) or "快" (ahead), in UTF-8.
std::string ClockOffsetText(double offsetSeconds);
// The message when the system clock could not be set: the reason (no
// privilege, or the system's error code) and what the offset was.
std::string ClockNotSetText(double offsetSeconds, bool noPrivilege, unsigned long code);

// "host", "host:port", a bare IPv6 address ("fe80::1") or one in brackets
// with or without a port ("[fe80::1]:123"); the port defaults to
// `defaultPort`. The host comes without brackets. False for an empty host or
// a bad port.
bool SplitHostPort(const std::string& text, std::string& host, unsigned short& port, unsigned short defaultPort);

inline constexpr const char* kDefaultNtpServer = "cn.pool.ntp.org";
inline constexpr int kNtpTimeoutMs = 3000;

} // namespace vemora
