#pragma once
#include "base/eventlog.h"
#include "base/datetime.h"
#include "base/worker_win.h"
#include "calendar/holidayfeed.h"
#include "net/https_win.h"
#include "net/request.h"

#include <memory>
#include <optional>
#include <string>

namespace vemora {

// What a worker brings back for one year: its schedule, or why no address
// gave one. Text is UTF-8.
struct HolidayAnswer : WorkerResult {
    int year = 0;
    std::optional<YearSchedule> schedule;
    std::string failure;
};

// Asks each address in turn on a worker thread until one gives a good
// schedule, and posts the answer. A 404 is the data set saying it has no file
// for the year yet: an empty schedule, as for a file without days.
void DownloadHolidaySchedule(std::shared_ptr<Mailbox> mailbox, unsigned generation, int year,
                             std::vector<std::string> urls, HttpGetOptions options);

// The fetched schedules: read from holidays.cache at start, asked for when
// due, written back after each answer, and put into the book the calendar
// reads. The clock owns it and drives it from its tick; it never waits on the
// network, and its failures go to the log, never to a message box.
class HolidayFeed {
public:
    struct Options {
        std::wstring cachePath;        // holidays.cache
        std::string api;               // the HolidayApi setting; empty: the public data set
        std::uint64_t installSeed = 0; // this install's number, for its minute of the day
        HttpGetOptions http;
    };
    HolidayFeed(HolidayBook& book, EventLog& log, std::shared_ptr<Mailbox> mailbox, Options options);

    // What was kept goes into the book; true when it had anything.
    bool LoadKept();
    // Starts the request that is due, if any and none runs.
    void Tick(const DateTimeParts& now);
    // An answer on the clock's thread; true when the book changed.
    bool Arrived(HolidayAnswer& answer, const DateTimeParts& now);
    bool Running() const { return slot_.Running(); }
    int Requests() const { return requests_; }

private:
    HolidayBook& book_;
    EventLog& log_;
    std::shared_ptr<Mailbox> mailbox_;
    Options options_;
    int minuteOfDay_;
    RequestSlot slot_;
    int askedYear_ = 0;
    std::map<int, HolidayYearCheck> years_;
    KeptHolidays kept_;
    int failures_ = 0;
    std::int64_t lastFailureAt_ = 0;
    int requests_ = 0;
};

} // namespace vemora
