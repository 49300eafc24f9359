#include "base/errorqueue.h"

#include <algorithm>

namespace vemora {

bool ErrorQueue::Add(std::string message) {
    if (showing_ == message || std::find(waiting_.begin(), waiting_.end(), message) != waiting_.end())
        return false;
    if (waiting_.size() >= kMaxWaiting)
        return false;
    waiting_.push_back(std::move(message));
    return true;
}

std::optional<std::string> ErrorQueue::BeginNext() {
    if (showing_ || waiting_.empty())
        return std::nullopt;
    showing_ = std::move(waiting_.front());
    waiting_.pop_front();
    return showing_;
}

void ErrorQueue::EndShown() {
    showing_.reset();
}

} // namespace vemora
