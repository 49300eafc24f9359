#pragma once
// The program's trace of what happened: one line per event (start and exit,
// every failure of background work and the recovery after it, every error
// shown to the user), so that a user who asks "why is there no weather?" has
// something to send. Features write to the log they are handed; the clock
// window owns the one that goes to disk.
#include <string_view>

namespace vemora {

class EventLog {
public:
    virtual ~EventLog() = default;
    // Any thread. `part` names who speaks ("weather", "holidays", "alarm");
    // `message` is UTF-8 text on one line.
    virtual void Write(std::string_view part, std::string_view message) = 0;
};

// Keeps nothing: for code run without a log, tests among it.
class NullLog final : public EventLog {
public:
    void Write(std::string_view, std::string_view) override {}
};

} // namespace vemora
