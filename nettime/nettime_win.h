#pragma once
#include "base/worker_win.h"
#include "nettime/ntp.h"

#include <memory>
#include <string>

namespace vemora {

class Effects;

struct NetworkTime {
    double utc = 0; // 0: no time was obtained
    double local = 0;
    double offsetSeconds = 0; // how far the server's clock is ahead of this one
};

// One SNTP request to the server ("host" or "host:port", port 123 when not
// given) and one trusted reply, all within timeoutMs. Never raises; blocks
// the calling thread, so the program calls it on a worker.
NetworkTime QueryNetworkTime(const std::string& server, int timeoutMs = kNtpTimeoutMs);
// What a query on a worker hands back.
struct NetworkTimeAnswer : WorkerResult {
    NetworkTime time;
};
// Queries the server on a worker thread and posts the answer to the mailbox;
// returns at once. What escapes the worker goes to the log.
void AskNetworkTime(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string server,
                    std::shared_ptr<EventLog> log = nullptr);
// The server to ask: "NtpServer" from the settings, else the built-in default.
std::string NtpServerName(const std::string& configured);
// The system clock now, as precise as the system keeps it (100 ns units since 1601, UTC).
unsigned long long PreciseFileTime();
// Moves the system clock by the measured offset from where it stands at this
// moment, through the effects, so that the time between the measurement and
// this call costs nothing. Gives the message for the user when the system
// refuses (UTF-8), empty when the clock was set.
std::string SetClockFromNetwork(Effects& effects, double offsetSeconds);

} // namespace vemora
