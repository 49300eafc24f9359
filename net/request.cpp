#include "net/request.h"

namespace vemora {

unsigned RequestSlot::Ask(const std::string& key) {
    if (running_) {
        if (cancelled_ || key != key_)
            waiting_ = true;
        return 0;
    }
    running_ = true;
    cancelled_ = false;
    waiting_ = false;
    key_ = key;
    if (++generation_ == 0)
        ++generation_;
    return generation_;
}

RequestSlot::Answer RequestSlot::Arrived(unsigned generation) {
    Answer answer;
    if (!running_ || generation != generation_)
        return answer;
    running_ = false;
    answer.use = !cancelled_ && !waiting_;
    answer.askAgain = waiting_;
    waiting_ = false;
    return answer;
}

void RequestSlot::Cancel() {
    if (running_)
        cancelled_ = true;
    waiting_ = false;
}

} // namespace vemora
