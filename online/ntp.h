#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vemora {

inline constexpr std::size_t kNtpPacketSize = 48;
using NtpPacket = std::array<std::uint8_t, kNtpPacketSize>;

// The client request: leap indicator 0, version 3, mode 3, all else zero.
NtpPacket NtpRequest();

struct NtpTimestamp {
    std::uint32_t seconds = 0;
    std::uint32_t fraction = 0;
};

// Accepts a server's reply only when it can be trusted to set a clock: at
// least 48 bytes, mode 4 (server), a leap indicator other than 3 (clock not
// synchronised), stratum 1 to 15 and a non-zero transmit timestamp.
bool ParseNtpReply(const std::uint8_t* data, std::size_t size, NtpTimestamp& transmit);

// The transmit timestamp as a UTC date-time (day count). Milliseconds are
// truncated. Seconds whose top bit is clear count from 2036-02-07 06:28:16 UTC,
// where the 32-bit counter wraps, not from 1900.
double NtpToUtc(NtpTimestamp t);

// UTC to local time with the bias in force (minutes, UTC = local + bias).
inline double UtcToLocal(double utc, int biasMinutes) { return utc - biasMinutes / 1440.0; }

// "host" or "host:port"; the port defaults to 123. False for an empty host or a bad port.
bool SplitHostPort(const std::string& text, std::string& host, unsigned short& port, unsigned short defaultPort);

inline constexpr const char* kDefaultNtpServer = "cn.pool.ntp.org";
inline constexpr int kNtpTimeoutMs = 3000;

} // namespace vemora
