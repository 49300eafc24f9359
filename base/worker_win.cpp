#include "base/worker_win.h"

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace vemora {

bool Mailbox::Post(std::unique_ptr<WorkerResult> result) {
    // Posting under the lock: after Close has taken it, nothing more arrives,
    // so that what Close drains is all there is.
    std::lock_guard<std::mutex> lock(mutex_);
    if (!window_ || !PostMessageW(window_, message_, 0, reinterpret_cast<LPARAM>(result.get())))
        return false;
    result.release(); // the window owns it now
    return true;
}

void Mailbox::Close() {
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window = std::exchange(window_, nullptr);
    }
    if (!window)
        return;
    MSG msg;
    while (PeekMessageW(&msg, window, message_, message_, PM_REMOVE))
        Take(msg.lParam);
}

void StartWorker(std::function<void()> work, std::shared_ptr<EventLog> log) {
    std::thread([work = std::move(work), log = std::move(log)] {
        try {
            work();
        } catch (const std::exception& e) {
            if (log)
                log->Write("worker", std::string("a worker stopped: ") + e.what());
        } catch (...) {
            if (log)
                log->Write("worker", "a worker stopped on an unknown error");
        }
    }).detach();
}

} // namespace vemora
