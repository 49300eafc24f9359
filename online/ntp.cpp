#include "online/ntp.h"

#include <cstdlib>

namespace vemora {

NtpPacket NtpRequest() {
    NtpPacket packet{};
    packet[0] = 0x1B;
    return packet;
}

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

} // namespace

bool ParseNtpReply(const std::uint8_t* data, std::size_t size, NtpTimestamp& transmit) {
    if (!data || size < kNtpPacketSize)
        return false;
    const int leap = data[0] >> 6;
    const int mode = data[0] & 7;
    const int stratum = data[1];
    if (mode != 4 || leap == 3 || stratum < 1 || stratum > 15)
        return false;
    transmit.seconds = BigEndian32(data + 40);
    transmit.fraction = BigEndian32(data + 44);
    return transmit.seconds != 0 || transmit.fraction != 0;
}

double NtpToUtc(NtpTimestamp t) {
    const std::uint32_t ms = static_cast<std::uint32_t>(static_cast<std::uint64_t>(t.fraction) * 1000 >> 32);
    // Era 1 starts when the counter wraps in February 2036 (RFC 4330, section 3).
    const double seconds = static_cast<double>(t.seconds) + ((t.seconds & 0x80000000u) ? 0.0 : 4294967296.0);
    const double daysSince1900 = (seconds + ms / 1000.0) / 86400.0;
    return daysSince1900 + 2; // 1900-01-01 is day 2 of the day count
}

bool SplitHostPort(const std::string& text, std::string& host, unsigned short& port, unsigned short defaultPort) {
    std::string s = text;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.erase(s.begin());
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    port = defaultPort;
    const size_t colon = s.rfind(':');
    if (colon != std::string::npos) {
        const std::string digits = s.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const long value = std::strtol(digits.c_str(), nullptr, 10);
        if (value < 1 || value > 65535)
            return false;
        port = static_cast<unsigned short>(value);
        s.resize(colon);
    }
    host = s;
    return !host.empty();
}

} // namespace vemora
