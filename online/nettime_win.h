#pragma once
#include "online/ntp.h"

#include <string>

namespace vemora {

class Effects;

struct NetworkTime {
    double utc = 0;   // 0: no time was obtained
    double local = 0;
};

// One SNTP request to the server ("host" or "host:port", port 123 when not
// given) and one trusted reply, all within timeoutMs. Never raises.
NetworkTime QueryNetworkTime(const std::string& server, int timeoutMs = kNtpTimeoutMs);
// The local date-time from the server, 0 on any failure.
double GetNetworkTime(const std::string& server);
// The server to ask: "NtpServer" from the settings, else the built-in default.
std::string NtpServerName();
// Start-up time correction: asks once and sets the system clock from UTC
// through the effects. A failed query changes nothing and shows nothing.
void SetClockFromNetwork(Effects& effects);

} // namespace vemora
