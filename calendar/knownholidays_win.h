#pragma once
// The holidays and working days the calendar, the tips and the alarms go by:
// the built-in table, the schedules fetched when published (kept in
// holidays.cache), and the user's holidays.txt over both.
#include "base/eventlog.h"
#include "base/worker_win.h"
#include "calendar/holidayfeed_win.h"
#include "calendar/holidays.h"

#include <memory>
#include <string>
#include <vector>

namespace vemora {

class KnownHolidays {
public:
    // The built-in table alone until Start.
    KnownHolidays() = default;

    // Reads holidays.txt (`userFile`, when there is one) and what was fetched
    // in earlier runs (holidays.cache beside the settings file), and makes the
    // feed that asks `api` (empty: the public data set) for what is published.
    void Start(const std::wstring& userFile, const std::wstring& settingsPath, std::string api, EventLog& log,
               std::shared_ptr<Mailbox> mailbox);
    const HolidayBook& Book() const { return book_; }
    // Starts the request that is due, if any.
    void Tick(const DateTimeParts& now);
    // A worker's answer: true when it was the feed's and the book changed.
    bool Arrived(WorkerResult& result, const DateTimeParts& now);
    bool Running() const { return feed_ && feed_->Running(); }
    // The bad lines of holidays.txt, one to a line (UTF-8), once; empty when none.
    std::string TakeProblems();

private:
    HolidayBook book_;
    std::unique_ptr<HolidayFeed> feed_;
    std::vector<std::string> problems_;
};

} // namespace vemora
