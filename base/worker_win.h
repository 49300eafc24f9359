#pragma once
// Work off the clock's thread: a worker thread owns everything it opens and
// hands its result back to the window that asked as a posted message.
#include "base/eventlog.h"
#include "base/platform_win.h"

#include <functional>
#include <memory>
#include <mutex>

namespace vemora {

// What a worker hands back. The message's lParam carries the pointer; the
// window that takes it owns it from then on.
struct WorkerResult {
    virtual ~WorkerResult() = default;
    unsigned generation = 0; // the request it answers
};

// The way from the workers to one window, shared by the window and every
// worker it started. Once the window closes it, a worker's result is freed
// where it was made, and results already on their way are freed by Close:
// none is lost, none reaches a window that is gone.
class Mailbox {
public:
    Mailbox(HWND window, UINT message) : window_(window), message_(message) {}
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    // Any thread. False when the window is gone; the result is then freed.
    bool Post(std::unique_ptr<WorkerResult> result);
    // The window's own thread, before its handle goes.
    void Close();
    // The window's thread, on `message`: the posted result, owned.
    static std::unique_ptr<WorkerResult> Take(LPARAM lParam) {
        return std::unique_ptr<WorkerResult>(reinterpret_cast<WorkerResult*>(lParam));
    }

private:
    std::mutex mutex_;
    HWND window_;
    UINT message_;
};

// Runs work on a thread of its own, which nobody waits for: a request that
// hangs never holds up the clock, nor the end of the program. Work hands its
// failures back in its result; whatever escapes it all the same goes to the
// log, which the thread keeps alive for as long as it runs.
void StartWorker(std::function<void()> work, std::shared_ptr<EventLog> log = nullptr);

} // namespace vemora
