#pragma once
// What the clock window is started with, and what it knows only while it runs.
#include "app/clocktick.h"
#include "base/datetime.h"
#include "base/eventlog.h"
#include "power/schedule.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vemora {

struct MainOptions {
    std::wstring settingsPath;            // clockset.ini; empty: beside the executable
    std::function<DateTimeParts()> clock; // local now; empty: the system clock
    std::wstring exePath;                 // what autostart registers; empty: this module
    std::wstring holidaysPath;            // holidays.txt; empty: beside the executable
    std::string runKey;                   // where, under HKCU; empty: the system's Run key
    std::string approvedKey;              // the start-up manager's switches, under HKCU; empty: the system's
    int resumeRefreshDelayMs = 10000;     // after a sleep, the weather page waits for the network
    std::optional<TimeFormat> timeFormat; // empty: the user's, from the locale
    // Milliseconds by a count that runs on through sleep and that setting the
    // clock never moves, and of those the ones the computer was awake; empty:
    // the system's (GetTickCount64, QueryUnbiasedInterruptTime).
    std::function<long long()> realMs;
    std::function<long long()> awakeMs;
    // Unix seconds now, for the forecast's schedule; empty: the system clock.
    std::function<std::int64_t()> unixClock;
    // Where the run's events go; empty: vemora.log beside the settings file
    // (or in the user's local application data when that folder cannot be written).
    std::shared_ptr<EventLog> log;
    // Where holiday schedules are asked for when the settings name no
    // HolidayApi; empty: the public data set.
    std::string holidayApi;
};

// What lives only while the program runs: never stored.
struct ClockRunState {
    bool calendarShown = false; // the calendar pop-up is wanted
    bool armed = false;         // a timed action waits for its time
    ScheduledActionState scheduledAction;
    bool autostart = false;                  // the Run value starts this program
    const void* ringSound = nullptr;         // the alarm sound in the program's resources
    std::vector<std::string> installedFonts; // GBK, as the settings dialog lists them
};

} // namespace vemora
