#include "nettime/networktimesetter_win.h"

#include "net/fetch.h"
#include "nettime/nettime_win.h"

#include <cstdio>
#include <stdexcept>

namespace vemora {

namespace {

// The time server as the user reads it: with the port it was asked on.
std::string ServerWithPort(const std::string& server) {
    if (server.empty() || server.front() == '[')
        return server;
    const size_t colon = server.find(':');
    if (colon == std::string::npos)
        return server + ":123";
    if (server.find(':', colon + 1) != std::string::npos)
        return "[" + server + "]:123"; // a bare IPv6 address
    return server;
}

} // namespace

void NetworkTimeSetter::Start(std::shared_ptr<Mailbox> mailbox, const std::string& configured) {
    server_ = NtpServerName(configured);
    slot_.Start(server_, [&](unsigned generation) { AskNetworkTime(mailbox, generation, server_, log_); });
}

bool NetworkTimeSetter::Arrived(WorkerResult& result, bool wanted) {
    auto* answer = dynamic_cast<NetworkTimeAnswer*>(&result);
    if (!answer)
        return false;
    if (!slot_.Arrived(answer->generation).use || !wanted)
        return true;
    if (answer->time.utc == 0) {
        log_->Write("time set", "no answer from " + server_);
        failure_ = "校时失败：" + ServerWithPort(server_) + " 无应答";
        changed_();
        return true;
    }
    if (!failure_.empty()) {
        failure_.clear();
        changed_();
    }
    const std::string refused = SetClockFromNetwork(effects_, answer->time.offsetSeconds);
    char offset[48];
    std::snprintf(offset, sizeof offset, "%+.3f s", answer->time.offsetSeconds);
    log_->Write("time set", refused.empty() ? "the clock was set by " + std::string(offset) + " from " + server_
                                            : "the clock was not set: " + refused);
    if (!refused.empty() && !notSetShown_) {
        notSetShown_ = true;
        throw std::runtime_error(OnlinePartText(OnlinePart::NetworkTime, refused));
    }
    return true;
}

} // namespace vemora
