#include "calendar/holidayfeed_win.h"

#include "base/files_win.h"

namespace vemora {

namespace {

constexpr std::size_t kMaxKeptBytes = 256 * 1024;

std::int64_t LocalSecondsOf(const DateTimeParts& t) {
    return LocalSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string YearText(int year) {
    return std::to_string(year) + "年放假安排";
}

} // namespace

void DownloadHolidaySchedule(std::shared_ptr<Mailbox> mailbox, unsigned generation, int year,
                             std::vector<std::string> urls, HttpGetOptions options) {
    StartWorker([mailbox = std::move(mailbox), generation, year, urls = std::move(urls), options] {
        auto answer = std::make_unique<HolidayAnswer>();
        answer->generation = generation;
        answer->year = year;
        try {
            for (const std::string& url : urls) {
                const HttpGetResult got = HttpGet(url, options);
                std::string why;
                if (got.error) {
                    why = got.error->Text();
                } else if (got.status == 404) {
                    answer->schedule = YearSchedule{year, {}};
                    break;
                } else if (got.status != 200) {
                    why = "HTTP " + std::to_string(got.status);
                } else if (ParsedSchedule parsed = ParseYearSchedule(got.body, year)) {
                    answer->schedule = std::move(parsed.schedule);
                    break;
                } else {
                    why = ScheduleProblemText(parsed.problem);
                }
                answer->failure += (answer->failure.empty() ? "" : "；") + url + "：" + why;
            }
        } catch (...) {
            // Only memory can run out here.
            answer->schedule.reset();
            answer->failure = "内存不足";
        }
        if (answer->schedule)
            answer->failure.clear();
        mailbox->Post(std::move(answer));
    });
}

HolidayFeed::HolidayFeed(HolidayBook& book, EventLog& log, std::shared_ptr<Mailbox> mailbox, Options options)
    : book_(book), log_(log), mailbox_(std::move(mailbox)), options_(std::move(options)),
      minuteOfDay_(HolidayMinuteOfDay(options_.installSeed)) {}

bool HolidayFeed::LoadKept() {
    const std::optional<std::string> text = ReadWholeFile(options_.cachePath, kMaxKeptBytes);
    if (!text)
        return false;
    std::optional<KeptHolidays> kept = ParseKeptHolidays(*text);
    if (!kept) {
        log_.Write("holidays", "holidays.cache 不完整或已损坏，未使用");
        return false;
    }
    kept_ = std::move(*kept);
    for (const auto& [year, k] : kept_) {
        book_.SetFetched(k.schedule);
        years_[year].answeredAt = k.answeredAt;
    }
    return !kept_.empty();
}

void HolidayFeed::Tick(const DateTimeParts& now) {
    HolidayCheckInput in;
    in.now = LocalSecondsOf(now);
    in.year = now.year;
    in.month = now.month;
    in.day = now.day;
    in.minuteOfDay = minuteOfDay_;
    in.years = years_;
    for (int year : WantedHolidayYears(now.year, now.month, now.day))
        if (book_.YearKnown(year, false))
            in.known.insert(year);
    in.failures = failures_;
    in.lastFailureAt = lastFailureAt_;
    in.inFlight = slot_.Running();
    const HolidayCheck check = NextHolidayCheck(in);
    if (check.year == 0 || in.now < check.at)
        return;
    const std::vector<std::string> urls = HolidayYearUrls(options_.api, check.year);
    slot_.Start(std::to_string(check.year), [&](unsigned generation) {
        askedYear_ = check.year;
        years_[check.year].askedThisRun = true;
        ++requests_;
        DownloadHolidaySchedule(mailbox_, generation, check.year, urls, options_.http);
    });
}

bool HolidayFeed::Arrived(HolidayAnswer& answer, const DateTimeParts& now) {
    if (!slot_.Arrived(answer.generation).use || answer.year != askedYear_)
        return false;
    const std::int64_t at = LocalSecondsOf(now);
    if (!answer.schedule) {
        ++failures_;
        lastFailureAt_ = at;
        log_.Write("holidays",
                   YearText(answer.year) + "获取失败（第 " + std::to_string(failures_) + " 次）：" + answer.failure);
        return false;
    }
    if (failures_ > 0)
        log_.Write("holidays", YearText(answer.year) + "已获取，此前失败 " + std::to_string(failures_) + " 次");
    failures_ = 0;
    years_[answer.year].answeredAt = at;
    const auto before = kept_.find(answer.year);
    // A schedule once published is not taken back by an empty answer, which a
    // stale mirror can give.
    if (answer.schedule->days.empty() && before != kept_.end() && !before->second.schedule.days.empty())
        answer.schedule = before->second.schedule;
    const bool changed = before == kept_.end() || !(before->second.schedule == *answer.schedule);
    if (changed && !answer.schedule->days.empty())
        log_.Write("holidays",
                   YearText(answer.year) + "已更新：" + std::to_string(answer.schedule->days.size()) + " 天");
    kept_[answer.year] = {*answer.schedule, at};
    if (changed)
        book_.SetFetched(std::move(*answer.schedule));
    // A copy that cannot be written costs the next start a request, nothing more.
    if (!ReplaceFileContents(options_.cachePath, SerializeKeptHolidays(kept_)))
        log_.Write("holidays", "holidays.cache 无法写入");
    return changed;
}

} // namespace vemora
