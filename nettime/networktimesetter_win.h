#pragma once
// Sets the system clock from a time server once the clock shows: the query on
// a worker, the answer used on the clock's thread.
#include "base/effects_win.h"
#include "base/eventlog.h"
#include "base/worker_win.h"
#include "net/request.h"

#include <functional>
#include <memory>
#include <string>

namespace vemora {

class NetworkTimeSetter {
public:
    // `changed` runs when Failure() changes.
    NetworkTimeSetter(Effects& effects, std::shared_ptr<EventLog> log, std::function<void()> changed)
        : effects_(effects), log_(std::move(log)), changed_(std::move(changed)) {}

    // Asks the server ("NtpServer"; empty: the built-in one) on a worker.
    void Start(std::shared_ptr<Mailbox> mailbox, const std::string& configured);
    // A worker's answer. Sets the clock from an answer of the query that runs
    // while `wanted`; false when the result was not one of its answers. A
    // query without an answer sets nothing and opens no box: the tips say so
    // until a query succeeds. A clock the system refused to set raises an
    // error, once a run: the user believes the clock was corrected.
    bool Arrived(WorkerResult& result, bool wanted);
    bool Running() const { return slot_.Running(); }
    // "校时失败：host:port 无应答" (UTF-8) after a query without an answer; empty after one with.
    const std::string& Failure() const { return failure_; }

private:
    Effects& effects_;
    std::shared_ptr<EventLog> log_;
    std::function<void()> changed_;
    RequestSlot slot_;
    std::string server_;
    std::string failure_;
    bool notSetShown_ = false;
};

} // namespace vemora
