#pragma once
#include <string>

namespace vemora {

// One provider's requests as the clock's thread sees them. At most one runs
// at a time. Asking again for what is running changes nothing; asking for
// something else (another city, another sign), or after the running one was
// cancelled, keeps the wish, and the caller asks afresh once the running one
// ends: its answer is then dropped, so an older answer is never drawn over a
// newer choice. Each request has a generation; an answer whose generation is
// not the running one's (a late answer, a second one) is dropped.
class RequestSlot {
public:
    // Zero while one runs; otherwise the generation of a request to start now.
    unsigned Ask(const std::string& key);

    struct Answer {
        bool use = false;      // the answer is the one wanted: use it
        bool askAgain = false; // a newer wish waits: ask with the current choice
    };
    Answer Arrived(unsigned generation);

    // Asks, and unless one runs starts the request with its generation. When
    // starting throws, nothing runs: the slot is free again.
    template <typename Starter> void Start(const std::string& key, Starter&& start) {
        const unsigned generation = Ask(key);
        if (!generation)
            return;
        try {
            start(generation);
        } catch (...) {
            Arrived(generation);
            throw;
        }
    }

    // Whoever asked no longer wants the answer (switched off, hidden).
    void Cancel();
    bool Running() const { return running_; }

private:
    unsigned generation_ = 0;
    bool running_ = false;
    bool cancelled_ = false;
    bool waiting_ = false;
    std::string key_;
};

} // namespace vemora
