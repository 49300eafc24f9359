#include "calendar/holidays.h"

#include "base/datetime.h"
#include "base/utf8.h"

#include "calendar/holiday_table.h"
#include "calendar/lunar_table.h"
#include "net/json.h"

#include <algorithm>
#include <cstdio>

namespace vemora {

using lunar_table::DayNumber;

namespace {

// Reading holidays.txt.

bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceLength(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// A bad line as it will be quoted: UTF-8, control bytes and undecodable bytes
// as "?", at most 40 characters.
std::string Quote(std::string_view line, bool gbk, const GbkToUtf8& gbkToUtf8) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!line.empty() && blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && blank(line.back()))
        line.remove_suffix(1);
    std::string utf8;
    if (gbk && gbkToUtf8) {
        utf8 = gbkToUtf8(line);
    } else if (gbk) {
        for (size_t i = 0; i < line.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            if (c >= 0x81 && c <= 0xFE && i + 1 < line.size())
                ++i;
            utf8 += c < 0x80 ? line[i] : '?';
        }
    } else {
        utf8 = line;
    }
    std::string out;
    int characters = 0;
    for (size_t i = 0; i < utf8.size();) {
        if (++characters > 40) {
            out += "…";
            break;
        }
        const size_t n = Utf8SequenceLength(utf8, i);
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (n == 0 || (n == 1 && (c < 0x20 || c == 0x7F))) {
            out += '?';
            i += 1;
        } else {
            out.append(utf8, i, n);
            i += n;
        }
    }
    return out;
}

// Splits at ASCII blanks and the ideographic space of either encoding.
std::vector<std::string_view> Fields(std::string_view line, bool gbk) {
    const std::string_view wideSpace = gbk ? "\xA1\xA1" : "\xE3\x80\x80";
    std::vector<std::string_view> fields;
    size_t start = std::string_view::npos;
    for (size_t i = 0; i <= line.size();) {
        size_t blank = 0;
        if (i == line.size())
            blank = 1;
        else if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\v' || line[i] == '\f')
            blank = 1;
        else if (line.substr(i).starts_with(wideSpace))
            blank = wideSpace.size();
        else if (gbk && static_cast<unsigned char>(line[i]) >= 0x81) {
            // Keep a double-byte character whole: its second byte may be anything.
            if (start == std::string_view::npos)
                start = i;
            i += std::min<size_t>(2, line.size() - i);
            continue;
        }
        if (blank) {
            if (start != std::string_view::npos)
                fields.push_back(line.substr(start, i - start));
            start = std::string_view::npos;
            i += blank;
        } else {
            if (start == std::string_view::npos)
                start = i;
            ++i;
        }
    }
    return fields;
}

// Reads "2027-01-01" (month and day of one or two digits); false for any other form.
bool ReadDate(std::string_view field, int& year, int& month, int& day) {
    int* parts[3] = {&year, &month, &day};
    const size_t maxDigits[3] = {4, 2, 2}, minDigits[3] = {4, 1, 1};
    size_t i = 0;
    for (int p = 0; p < 3; ++p) {
        if (p > 0) {
            if (i >= field.size() || field[i] != '-')
                return false;
            ++i;
        }
        size_t digits = 0;
        *parts[p] = 0;
        while (i < field.size() && field[i] >= '0' && field[i] <= '9' && digits < maxDigits[p]) {
            *parts[p] = *parts[p] * 10 + (field[i] - '0');
            ++i;
            ++digits;
        }
        if (digits < minDigits[p])
            return false;
    }
    return i == field.size();
}

// Applies the part of a line before its comment to the book, read in one
// encoding; the reason it cannot, or nullptr. Nothing changes unless it can.
const char* ApplyEntry(std::string_view line, bool gbk, HolidayBook& book) {
    const std::vector<std::string_view> fields = Fields(line, gbk);
    if (fields.empty())
        return nullptr;
    int year, month, day;
    if (!ReadDate(fields[0], year, month, day))
        return "日期应写成 2027-01-01 这样";
    if (year < kLunarFirstYear || year > kLunarLastYear)
        return "年份应在 1901 到 2100 之间";
    if (!IsValidDate(year, month, day))
        return "没有这一天";
    if (fields.size() < 2)
        return "日期后缺少“休”或“班”";
    const std::string_view rest = fields[1];
    DayArrangement arrangement;
    if (rest == (gbk ? "\xD0\xDD" : "休"))
        arrangement = DayArrangement::Holiday;
    else if (rest == (gbk ? "\xB0\xE0" : "班"))
        arrangement = DayArrangement::Workday;
    else
        return "标记只能是“休”或“班”";
    if (fields.size() > 2)
        return "标记后有多余的内容";
    book.Set(year, month, day, arrangement);
    return nullptr;
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

struct LineOutcome {
    const char* reason; // why the line was not applied, or nullptr
    bool gbk;           // the line was read as GBK
};

// Applies one line, its encoding decided by its own bytes, so that a damaged
// byte or a comment saved in the other encoding spoils only its own line.
// '#' is never part of a multi-byte character in either encoding, so the
// comment is cut off first and the encoding decided by what is left (or, for
// a line that is all ASCII before it, by the comment, for quoting). UTF-8 is
// tried first; a line that fails as UTF-8 is tried as GBK, as GBK text can
// happen to be valid UTF-8 too ("休" is D0 DD in GBK, one Cyrillic letter in
// UTF-8).
LineOutcome ApplyLine(std::string_view line, HolidayBook& book) {
    const std::string_view entry = line.substr(0, line.find('#'));
    if (IsAscii(entry))
        return {ApplyEntry(entry, false, book), !IsUtf8(line)};
    if (!IsUtf8(entry))
        return {ApplyEntry(entry, true, book), true};
    const char* reason = ApplyEntry(entry, false, book);
    if (reason && !ApplyEntry(entry, true, book))
        return {nullptr, true};
    return {reason, false};
}

} // namespace

namespace {

const BuiltInHoliday* FindBuiltIn(int year, int month, int day) {
    const BuiltInHoliday* first = kBuiltInHolidays;
    const BuiltInHoliday* last = kBuiltInHolidays + kBuiltInHolidayCount;
    const auto key = [](int y, int m, int d) { return (y * 16 + m) * 32 + d; };
    const int wanted = key(year, month, day);
    const BuiltInHoliday* it = std::lower_bound(
        first, last, wanted, [&](const BuiltInHoliday& h, int k) { return key(h.year, h.month, h.day) < k; });
    return it != last && key(it->year, it->month, it->day) == wanted ? it : nullptr;
}

// "2027-02-06", with two digits for month and day as the data set writes them.
bool ReadIsoDate(std::string_view text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    const auto number = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = at; i < at + n; ++i)
            v = v * 10 + (text[i] - '0');
        return v;
    };
    year = number(0, 4);
    month = number(5, 2);
    day = number(8, 2);
    return IsValidDate(year, month, day);
}

bool GoodName(const std::string& name) {
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++characters) {
        const size_t n = Utf8SequenceLength(name, i);
        if (n == 0 || (n == 1 && (static_cast<unsigned char>(name[i]) < 0x20 || name[i] == 0x7F)))
            return false;
        i += n;
    }
    return characters > 0 && characters <= kMaxScheduleNameChars;
}

} // namespace

DayArrangement ArrangementOf(int year, int month, int day) {
    const BuiltInHoliday* h = FindBuiltIn(year, month, day);
    return !h ? DayArrangement::Ordinary : h->off ? DayArrangement::Holiday : DayArrangement::Workday;
}

std::string BuiltInHolidayName(int year, int month, int day) {
    const BuiltInHoliday* h = FindBuiltIn(year, month, day);
    return h ? kBuiltInHolidayNames[h->name] : "";
}

ParsedSchedule ParseYearSchedule(std::string_view body, int year) {
    ParsedSchedule out;
    const auto refuse = [&](ScheduleProblem problem) {
        out.schedule = {};
        out.problem = problem;
        return out;
    };
    const JsonResult json = ParseJson(body);
    if (!json)
        return refuse(ScheduleProblem::NotJson);
    const JsonValue& root = json.value;
    const JsonValue& days = root["days"];
    const std::optional<long long> fileYear = root["year"].Integer(kLunarFirstYear, kLunarLastYear);
    if (root.kind() != JsonValue::Kind::Object || !fileYear || days.kind() != JsonValue::Kind::Array)
        return refuse(ScheduleProblem::NotASchedule);
    if (*fileYear != year)
        return refuse(ScheduleProblem::WrongYear);
    if (days.Size() > kMaxScheduleDays)
        return refuse(ScheduleProblem::TooManyDays);
    out.schedule.year = year;
    const int first = DayNumber(year - 1, 12, 1), last = DayNumber(year + 1, 1, 31);
    for (const JsonValue& item : days.Items()) {
        const std::string* name = item["name"].Text();
        const std::string* date = item["date"].Text();
        const JsonValue& off = item["isOffDay"];
        if (item.kind() != JsonValue::Kind::Object || !name || !date || off.kind() != JsonValue::Kind::Bool)
            return refuse(ScheduleProblem::NotASchedule);
        ScheduleDay day;
        if (!ReadIsoDate(*date, day.year, day.month, day.day))
            return refuse(ScheduleProblem::DateOutOfRange);
        const int n = DayNumber(day.year, day.month, day.day);
        if (n < first || n > last)
            return refuse(ScheduleProblem::DateOutOfRange);
        if (!GoodName(*name))
            return refuse(ScheduleProblem::BadName);
        day.name = *name;
        day.arrangement = off.IsTrue() ? DayArrangement::Holiday : DayArrangement::Workday;
        out.schedule.days.push_back(std::move(day));
    }
    return out;
}

std::string ScheduleProblemText(ScheduleProblem problem) {
    switch (problem) {
    case ScheduleProblem::None:
        return "";
    case ScheduleProblem::NotJson:
        return "回答不是 JSON";
    case ScheduleProblem::NotASchedule:
        return "回答不是放假安排";
    case ScheduleProblem::WrongYear:
        return "回答的年份不符";
    case ScheduleProblem::DateOutOfRange:
        return "回答中的日期超出该年";
    case ScheduleProblem::TooManyDays:
        return "回答中的日子过多";
    case ScheduleProblem::BadName:
        return "回答中的节日名称无效";
    }
    return "";
}

void HolidayBook::Set(int year, int month, int day, DayArrangement arrangement) {
    days_[DayNumber(year, month, day)] = arrangement;
    userYears_.insert(year);
}

std::optional<DayArrangement> HolidayBook::Find(int year, int month, int day) const {
    if (!IsValidDate(year, month, day))
        return std::nullopt;
    const auto it = days_.find(DayNumber(year, month, day));
    if (it == days_.end())
        return std::nullopt;
    return it->second;
}

// Every fetched day by its date; where two files name one date, the file of
// the date's own year wins.
void HolidayBook::SetFetched(YearSchedule schedule) {
    const int year = schedule.year;
    fetched_[year] = std::move(schedule);
    fetchedDays_.clear();
    for (const auto& [fileYear, file] : fetched_)
        for (const ScheduleDay& d : file.days) {
            if (d.year != fileYear)
                fetchedDays_.emplace(DayNumber(d.year, d.month, d.day), DayStatus{d.arrangement, d.name});
        }
    for (const auto& [fileYear, file] : fetched_)
        for (const ScheduleDay& d : file.days)
            if (d.year == fileYear)
                fetchedDays_[DayNumber(d.year, d.month, d.day)] = DayStatus{d.arrangement, d.name};
}

bool HolidayBook::YearKnown(int year, bool byUser) const {
    if (year >= kBuiltInFirstYear && year <= kBuiltInLastYear)
        return true;
    const auto it = fetched_.find(year);
    return (it != fetched_.end() && !it->second.days.empty()) || (byUser && userYears_.count(year));
}

DayStatus HolidayBook::StatusOf(int year, int month, int day) const {
    if (!IsValidDate(year, month, day))
        return {};
    const int n = DayNumber(year, month, day);
    if (const auto user = days_.find(n); user != days_.end())
        return {user->second, ""};
    if (const auto got = fetchedDays_.find(n); got != fetchedDays_.end())
        return got->second;
    if (const auto file = fetched_.find(year); file != fetched_.end() && !file->second.days.empty())
        return {};
    const BuiltInHoliday* h = FindBuiltIn(year, month, day);
    if (!h)
        return {};
    return {h->off ? DayArrangement::Holiday : DayArrangement::Workday, kBuiltInHolidayNames[h->name]};
}

DayArrangement ArrangementOf(const HolidayBook& book, int year, int month, int day) {
    return book.StatusOf(year, month, day).arrangement;
}

HolidayFile ParseHolidayFile(std::string_view bytes, const GbkToUtf8& gbkToUtf8) {
    HolidayFile file;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    const bool cut = bytes.size() > kHolidayFileMaxBytes;
    if (cut) {
        // Only whole lines of what is read.
        bytes = bytes.substr(0, kHolidayFileMaxBytes);
        bytes = bytes.substr(0, bytes.rfind('\n') + 1);
    }

    size_t badLines = 0;
    int number = 0;
    for (size_t pos = 0; pos < bytes.size();) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (++number > kHolidayFileMaxLines) {
            file.problems.push_back("holidays.txt 超过 " + std::to_string(kHolidayFileMaxLines) + " 行，第 " +
                                    std::to_string(number) + " 行起未读");
            break;
        }
        const LineOutcome outcome = ApplyLine(line, file.book);
        file.gbk = file.gbk || outcome.gbk;
        if (outcome.reason) {
            if (++badLines <= kHolidayFileMaxProblems)
                file.problems.push_back("holidays.txt 第 " + std::to_string(number) + " 行无法识别：" +
                                        Quote(line, outcome.gbk, gbkToUtf8) + "（" + outcome.reason + "）");
        }
    }
    if (badLines > kHolidayFileMaxProblems)
        file.problems.push_back("holidays.txt 另有 " + std::to_string(badLines - kHolidayFileMaxProblems) +
                                " 行无法识别");
    if (cut)
        file.problems.push_back("holidays.txt 超过 " + std::to_string(kHolidayFileMaxBytes / 1024) +
                                " KB，其后的内容未读");
    return file;
}

} // namespace vemora
