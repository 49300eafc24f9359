#pragma once
// The program's trace of what happened: one line per event (start and exit,
// every failure of background work and the recovery after it, every error
// shown to the user), so that a user who asks "why is there no weather?" has
// something to send. Features write to the log they are handed; the clock
// window owns the one that goes to disk.
#include "base/datetime.h"

#include <cstddef>
#include <cstdint>
#include <string>
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

// The log on disk: vemora.log, and the one older file it becomes when it is full.
inline constexpr const wchar_t* kLogFileName = L"vemora.log";
inline constexpr const wchar_t* kOlderLogFileName = L"vemora.log.1";
inline constexpr std::uint64_t kLogCapBytes = 256 * 1024;
inline constexpr std::size_t kMaxLogMessageBytes = 2000;

// One line of the log, CR LF ended: the local time to the millisecond, the
// part and the message, "2026-12-07 14:05:09.120 weather: 无法连接 api.open-meteo.com:443".
// The line is UTF-8 whatever it is given: a byte that is no UTF-8 becomes
// U+FFFD, a line break or other control character a blank, and a message
// longer than kMaxLogMessageBytes is cut between characters.
std::string FormatLogLine(const DateTimeParts& localTime, std::string_view part, std::string_view message);

// Whether the file, holding fileBytes, must be set aside as the older file
// before a line of lineBytes goes in, so that it never grows past the cap. An
// empty file takes any line.
bool LogNeedsRollover(std::uint64_t fileBytes, std::size_t lineBytes, std::uint64_t capBytes = kLogCapBytes);

} // namespace vemora
