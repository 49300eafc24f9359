#include "base/worker_win.h"

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

void StartWorker(std::function<void()> work) {
    std::thread([work = std::move(work)] {
        try {
            work();
        } catch (...) {
            // A worker reports through its result; what escapes it has nobody to go to.
        }
    }).detach();
}

} // namespace vemora
