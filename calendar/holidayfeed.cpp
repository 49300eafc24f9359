#include "calendar/holidayfeed.h"

#include "base/datetime.h"
#include "calendar/lunar_table.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace vemora {

namespace {

constexpr std::int64_t kHour = 3600, kDay = 24 * kHour, kWeek = 7 * kDay;
constexpr const char* kKeptHeader = "Vemora holidays 1\n";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

// A whole decimal number, optionally negative, and nothing else.
std::optional<std::int64_t> ReadNumber(std::string_view s) {
    const bool negative = !s.empty() && s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    if (s.empty() || s.size() > 15)
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// The next `minuteOfDay` strictly after t, in local seconds.
std::int64_t NextDailySlot(std::int64_t t, int minuteOfDay) {
    const std::int64_t dayStart = (t >= 0 ? t / kDay : (t - kDay + 1) / kDay) * kDay;
    std::int64_t slot = dayStart + minuteOfDay * 60;
    if (slot <= t)
        slot += kDay;
    return slot;
}

} // namespace

std::vector<std::string> HolidayYearUrls(std::string_view setting, int year) {
    std::vector<std::string> urls;
    for (int pass = 0; pass < 2 && urls.empty(); ++pass) {
        std::string_view rest = pass == 0 ? setting : kDefaultHolidayApi;
        while (!rest.empty()) {
            const size_t semicolon = rest.find(';');
            std::string_view base = Trim(rest.substr(0, semicolon));
            rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
            while (!base.empty() && base.back() == '/')
                base.remove_suffix(1);
            if (!base.starts_with("http://") && !base.starts_with("https://"))
                continue;
            urls.push_back(std::string(base) + "/" + std::to_string(year) + ".json");
        }
    }
    return urls;
}

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    return static_cast<std::int64_t>(lunar_table::DayNumber(year, month, day)) * kDay + hour * kHour + minute * 60 +
           second;
}

int HolidayMinuteOfDay(std::uint64_t installSeed) {
    const int hour = static_cast<int>(installSeed % 24);
    const int minute = 1 + static_cast<int>((installSeed / 24) % 59);
    return hour * 60 + minute;
}

std::vector<int> WantedHolidayYears(int year, int month, int day) {
    if (month > 10 || (month == 10 && day >= 15))
        return {year, year + 1};
    return {year};
}

HolidayCheck NextHolidayCheck(const HolidayCheckInput& in) {
    if (in.inFlight)
        return {};
    const std::int64_t backOffUntil =
        in.failures > 0 ? in.lastFailureAt + std::min<std::int64_t>(kHour << std::min(in.failures - 1, 5), kDay) : 0;
    // A year not yet known goes first when two are due together.
    std::vector<int> years = WantedHolidayYears(in.year, in.month, in.day);
    std::stable_partition(years.begin(), years.end(), [&](int year) { return !in.known.count(year); });
    HolidayCheck best;
    for (int year : years) {
        const auto it = in.years.find(year);
        const HolidayYearCheck check = it == in.years.end() ? HolidayYearCheck{} : it->second;
        // An answer from the future (the clock was set back) counts as none.
        const std::optional<std::int64_t> answered =
            check.answeredAt && *check.answeredAt <= in.now ? check.answeredAt : std::nullopt;
        std::int64_t at = in.now;
        if (in.known.count(year))
            at = answered ? *answered + kWeek : in.now;
        else if (check.askedThisRun && answered)
            at = NextDailySlot(*answered, in.minuteOfDay);
        at = std::max(at, backOffUntil);
        if (best.year == 0 || at < best.at)
            best = {year, at};
    }
    return best;
}

std::string SerializeKeptHolidays(const KeptHolidays& kept) {
    std::string text = kKeptHeader;
    for (const auto& [year, y] : kept) {
        text += "Y " + std::to_string(year) + " " + std::to_string(y.answeredAt) + " " +
                std::to_string(y.schedule.days.size()) + "\n";
        for (const ScheduleDay& d : y.schedule.days) {
            char date[16];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", d.year, d.month, d.day);
            text +=
                std::string("D ") + date + (d.arrangement == DayArrangement::Holiday ? " 1 " : " 0 ") + d.name + "\n";
        }
    }
    text += "E " + Hex(Fnv1a(text)) + "\n";
    return text;
}

std::optional<KeptHolidays> ParseKeptHolidays(std::string_view text) {
    const size_t end = text.rfind("\nE ");
    if (!text.starts_with(kKeptHeader) || end == std::string_view::npos ||
        Trim(text.substr(end + 3)) != Hex(Fnv1a(text.substr(0, end + 1))))
        return std::nullopt;
    KeptHolidays kept;
    KeptHolidayYear* current = nullptr;
    size_t expected = 0;
    std::string_view body =
        text.substr(std::string_view(kKeptHeader).size(), end + 1 - std::string_view(kKeptHeader).size());
    while (!body.empty()) {
        const size_t newline = body.find('\n');
        const std::string_view line = body.substr(0, newline);
        body.remove_prefix(newline + 1);
        if (line.starts_with("Y ")) {
            if (current && current->schedule.days.size() != expected)
                return std::nullopt;
            const std::string_view fields = line.substr(2);
            const size_t a = fields.find(' '), b = fields.rfind(' ');
            if (a == std::string_view::npos || a == b)
                return std::nullopt;
            const auto year = ReadNumber(fields.substr(0, a));
            const auto at = ReadNumber(fields.substr(a + 1, b - a - 1));
            const auto count = ReadNumber(fields.substr(b + 1));
            if (!year || !at || !count || *year < kLunarFirstYear || *year > kLunarLastYear || *count < 0 ||
                *count > static_cast<std::int64_t>(kMaxScheduleDays) || kept.count(static_cast<int>(*year)))
                return std::nullopt;
            current = &kept[static_cast<int>(*year)];
            current->schedule.year = static_cast<int>(*year);
            current->answeredAt = *at;
            expected = static_cast<size_t>(*count);
        } else if (line.starts_with("D ") && current && line.size() > 15 && line[12] == ' ' && line[14] == ' ' &&
                   (line[13] == '0' || line[13] == '1')) {
            ScheduleDay day;
            const auto y = ReadNumber(line.substr(2, 4)), m = ReadNumber(line.substr(7, 2)),
                       d = ReadNumber(line.substr(10, 2));
            if (!y || !m || !d || line[6] != '-' || line[9] != '-' ||
                !IsValidDate(static_cast<int>(*y), static_cast<int>(*m), static_cast<int>(*d)))
                return std::nullopt;
            day.year = static_cast<int>(*y);
            day.month = static_cast<int>(*m);
            day.day = static_cast<int>(*d);
            day.arrangement = line[13] == '1' ? DayArrangement::Holiday : DayArrangement::Workday;
            day.name = std::string(line.substr(15));
            current->schedule.days.push_back(std::move(day));
        } else {
            return std::nullopt;
        }
    }
    if (current && current->schedule.days.size() != expected)
        return std::nullopt;
    return kept;
}

} // namespace vemora
