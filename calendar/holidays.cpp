#include "calendar/holidays.h"

#include "base/utf8.h"

#include "calendar/lunar_table.h"

#include <algorithm>
#include <cstdio>

namespace vemora {

using lunar_table::DayNumber;

namespace {

// The holiday arrangements announced by the State Council, 2008 to 2026: each
// break from its first day for `days` days, its weekend days included, and the
// weekend days made working days for it. 2019's 劳动节 is as amended in March
// 2019; 2020's 春节 as extended to 2-2 in January 2020, which also cancelled
// the working Saturday 2-1.
constexpr int kNone = -1000000;

struct Break {
    int first, days;
    int workdays[2];
};

struct Ymd {
    int y = 0, m = 0, d = 0;
};

constexpr Break R(Ymd first, int days, Ymd work1 = {}, Ymd work2 = {}) {
    const auto number = [](Ymd t) { return t.y ? DayNumber(t.y, t.m, t.d) : kNone; };
    return {number(first), days, {number(work1), number(work2)}};
}

constexpr Break kBreaks[] = {
    // 2008
    R({2007, 12, 30}, 3, {2007, 12, 29}),              // 元旦
    R({2008, 2, 6}, 7, {2008, 2, 2}, {2008, 2, 3}),    // 春节
    R({2008, 4, 4}, 3),                                // 清明
    R({2008, 5, 1}, 3, {2008, 5, 4}),                  // 劳动节
    R({2008, 6, 7}, 3),                                // 端午
    R({2008, 9, 13}, 3),                               // 中秋
    R({2008, 9, 29}, 7, {2008, 9, 27}, {2008, 9, 28}), // 国庆
    // 2009
    R({2009, 1, 1}, 3, {2009, 1, 4}),                   // 元旦
    R({2009, 1, 25}, 7, {2009, 1, 24}, {2009, 2, 1}),   // 春节
    R({2009, 4, 4}, 3),                                 // 清明
    R({2009, 5, 1}, 3),                                 // 劳动节
    R({2009, 5, 28}, 3, {2009, 5, 31}),                 // 端午
    R({2009, 10, 1}, 8, {2009, 9, 27}, {2009, 10, 10}), // 中秋、国庆
    // 2010
    R({2010, 1, 1}, 3),                                // 元旦
    R({2010, 2, 13}, 7, {2010, 2, 20}, {2010, 2, 21}), // 春节
    R({2010, 4, 3}, 3),                                // 清明
    R({2010, 5, 1}, 3),                                // 劳动节
    R({2010, 6, 14}, 3, {2010, 6, 12}, {2010, 6, 13}), // 端午
    R({2010, 9, 22}, 3, {2010, 9, 19}, {2010, 9, 25}), // 中秋
    R({2010, 10, 1}, 7, {2010, 9, 26}, {2010, 10, 9}), // 国庆
    // 2011
    R({2011, 1, 1}, 3),                                // 元旦
    R({2011, 2, 2}, 7, {2011, 1, 30}, {2011, 2, 12}),  // 春节
    R({2011, 4, 3}, 3, {2011, 4, 2}),                  // 清明
    R({2011, 4, 30}, 3),                               // 劳动节
    R({2011, 6, 4}, 3),                                // 端午
    R({2011, 9, 10}, 3),                               // 中秋
    R({2011, 10, 1}, 7, {2011, 10, 8}, {2011, 10, 9}), // 国庆
    // 2012
    R({2012, 1, 1}, 3, {2011, 12, 31}),                // 元旦
    R({2012, 1, 22}, 7, {2012, 1, 21}, {2012, 1, 29}), // 春节
    R({2012, 4, 2}, 3, {2012, 3, 31}, {2012, 4, 1}),   // 清明
    R({2012, 4, 29}, 3, {2012, 4, 28}),                // 劳动节
    R({2012, 6, 22}, 3),                               // 端午
    R({2012, 9, 30}, 8, {2012, 9, 29}),                // 中秋、国庆
    // 2013
    R({2013, 1, 1}, 3, {2013, 1, 5}, {2013, 1, 6}),     // 元旦
    R({2013, 2, 9}, 7, {2013, 2, 16}, {2013, 2, 17}),   // 春节
    R({2013, 4, 4}, 3, {2013, 4, 7}),                   // 清明
    R({2013, 4, 29}, 3, {2013, 4, 27}, {2013, 4, 28}),  // 劳动节
    R({2013, 6, 10}, 3, {2013, 6, 8}, {2013, 6, 9}),    // 端午
    R({2013, 9, 19}, 3, {2013, 9, 22}),                 // 中秋
    R({2013, 10, 1}, 7, {2013, 9, 29}, {2013, 10, 12}), // 国庆
    // 2014
    R({2014, 1, 1}, 1),                                 // 元旦
    R({2014, 1, 31}, 7, {2014, 1, 26}, {2014, 2, 8}),   // 春节
    R({2014, 4, 5}, 3),                                 // 清明
    R({2014, 5, 1}, 3, {2014, 5, 4}),                   // 劳动节
    R({2014, 5, 31}, 3),                                // 端午
    R({2014, 9, 6}, 3),                                 // 中秋
    R({2014, 10, 1}, 7, {2014, 9, 28}, {2014, 10, 11}), // 国庆
    // 2015
    R({2015, 1, 1}, 3, {2015, 1, 4}),                  // 元旦
    R({2015, 2, 18}, 7, {2015, 2, 15}, {2015, 2, 28}), // 春节
    R({2015, 4, 4}, 3),                                // 清明
    R({2015, 5, 1}, 3),                                // 劳动节
    R({2015, 6, 20}, 3),                               // 端午
    R({2015, 9, 3}, 3, {2015, 9, 6}),                  // 抗战胜利 70 周年纪念
    R({2015, 9, 26}, 2),                               // 中秋
    R({2015, 10, 1}, 7, {2015, 10, 10}),               // 国庆
    // 2016
    R({2016, 1, 1}, 3),                                // 元旦
    R({2016, 2, 7}, 7, {2016, 2, 6}, {2016, 2, 14}),   // 春节
    R({2016, 4, 2}, 3),                                // 清明
    R({2016, 4, 30}, 3),                               // 劳动节
    R({2016, 6, 9}, 3, {2016, 6, 12}),                 // 端午
    R({2016, 9, 15}, 3, {2016, 9, 18}),                // 中秋
    R({2016, 10, 1}, 7, {2016, 10, 8}, {2016, 10, 9}), // 国庆
    // 2017
    R({2016, 12, 31}, 3),                             // 元旦
    R({2017, 1, 27}, 7, {2017, 1, 22}, {2017, 2, 4}), // 春节
    R({2017, 4, 2}, 3, {2017, 4, 1}),                 // 清明
    R({2017, 4, 29}, 3),                              // 劳动节
    R({2017, 5, 28}, 3, {2017, 5, 27}),               // 端午
    R({2017, 10, 1}, 8, {2017, 9, 30}),               // 中秋、国庆
    // 2018
    R({2017, 12, 30}, 3),                              // 元旦
    R({2018, 2, 15}, 7, {2018, 2, 11}, {2018, 2, 24}), // 春节
    R({2018, 4, 5}, 3, {2018, 4, 8}),                  // 清明
    R({2018, 4, 29}, 3, {2018, 4, 28}),                // 劳动节
    R({2018, 6, 16}, 3),                               // 端午
    R({2018, 9, 22}, 3),                               // 中秋
    R({2018, 10, 1}, 7, {2018, 9, 29}, {2018, 9, 30}), // 国庆
    // 2019
    R({2018, 12, 30}, 3, {2018, 12, 29}),               // 元旦
    R({2019, 2, 4}, 7, {2019, 2, 2}, {2019, 2, 3}),     // 春节
    R({2019, 4, 5}, 3),                                 // 清明
    R({2019, 5, 1}, 4, {2019, 4, 28}, {2019, 5, 5}),    // 劳动节
    R({2019, 6, 7}, 3),                                 // 端午
    R({2019, 9, 13}, 3),                                // 中秋
    R({2019, 10, 1}, 7, {2019, 9, 29}, {2019, 10, 12}), // 国庆
    // 2020
    R({2020, 1, 1}, 1),                                 // 元旦
    R({2020, 1, 24}, 10, {2020, 1, 19}),                // 春节
    R({2020, 4, 4}, 3),                                 // 清明
    R({2020, 5, 1}, 5, {2020, 4, 26}, {2020, 5, 9}),    // 劳动节
    R({2020, 6, 25}, 3, {2020, 6, 28}),                 // 端午
    R({2020, 10, 1}, 8, {2020, 9, 27}, {2020, 10, 10}), // 中秋、国庆
    // 2021
    R({2021, 1, 1}, 3),                                // 元旦
    R({2021, 2, 11}, 7, {2021, 2, 7}, {2021, 2, 20}),  // 春节
    R({2021, 4, 3}, 3),                                // 清明
    R({2021, 5, 1}, 5, {2021, 4, 25}, {2021, 5, 8}),   // 劳动节
    R({2021, 6, 12}, 3),                               // 端午
    R({2021, 9, 19}, 3, {2021, 9, 18}),                // 中秋
    R({2021, 10, 1}, 7, {2021, 9, 26}, {2021, 10, 9}), // 国庆
    // 2022
    R({2022, 1, 1}, 3),                                // 元旦
    R({2022, 1, 31}, 7, {2022, 1, 29}, {2022, 1, 30}), // 春节
    R({2022, 4, 3}, 3, {2022, 4, 2}),                  // 清明
    R({2022, 4, 30}, 5, {2022, 4, 24}, {2022, 5, 7}),  // 劳动节
    R({2022, 6, 3}, 3),                                // 端午
    R({2022, 9, 10}, 3),                               // 中秋
    R({2022, 10, 1}, 7, {2022, 10, 8}, {2022, 10, 9}), // 国庆
    // 2023
    R({2022, 12, 31}, 3),                              // 元旦
    R({2023, 1, 21}, 7, {2023, 1, 28}, {2023, 1, 29}), // 春节
    R({2023, 4, 5}, 1),                                // 清明
    R({2023, 4, 29}, 5, {2023, 4, 23}, {2023, 5, 6}),  // 劳动节
    R({2023, 6, 22}, 3, {2023, 6, 25}),                // 端午
    R({2023, 9, 29}, 8, {2023, 10, 7}, {2023, 10, 8}), // 中秋、国庆
    // 2024
    R({2023, 12, 30}, 3),                               // 元旦
    R({2024, 2, 10}, 8, {2024, 2, 4}, {2024, 2, 18}),   // 春节
    R({2024, 4, 4}, 3, {2024, 4, 7}),                   // 清明
    R({2024, 5, 1}, 5, {2024, 4, 28}, {2024, 5, 11}),   // 劳动节
    R({2024, 6, 8}, 3),                                 // 端午
    R({2024, 9, 15}, 3, {2024, 9, 14}),                 // 中秋
    R({2024, 10, 1}, 7, {2024, 9, 29}, {2024, 10, 12}), // 国庆
    // 2025
    R({2025, 1, 1}, 1),                                 // 元旦
    R({2025, 1, 28}, 8, {2025, 1, 26}, {2025, 2, 8}),   // 春节
    R({2025, 4, 4}, 3),                                 // 清明
    R({2025, 5, 1}, 5, {2025, 4, 27}),                  // 劳动节
    R({2025, 5, 31}, 3),                                // 端午
    R({2025, 10, 1}, 8, {2025, 9, 28}, {2025, 10, 11}), // 中秋、国庆
    // 2026
    R({2026, 1, 1}, 3, {2026, 1, 4}),                   // 元旦
    R({2026, 2, 15}, 9, {2026, 2, 14}, {2026, 2, 28}),  // 春节
    R({2026, 4, 4}, 3),                                 // 清明
    R({2026, 5, 1}, 5, {2026, 5, 9}),                   // 劳动节
    R({2026, 6, 19}, 3),                                // 端午
    R({2026, 9, 25}, 3),                                // 中秋
    R({2026, 10, 1}, 7, {2026, 9, 20}, {2026, 10, 10}), // 国庆
};

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidDate(int year, int month, int day) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 && day <= (month == 2 && IsLeap(year) ? 29 : kDays[month - 1]);
}

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

DayArrangement ArrangementOf(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        return DayArrangement::Ordinary;
    const int n = DayNumber(year, month, day);
    for (const Break& b : kBreaks) {
        if (n >= b.first && n < b.first + b.days)
            return DayArrangement::Holiday;
        if (n == b.workdays[0] || n == b.workdays[1])
            return DayArrangement::Workday;
    }
    return DayArrangement::Ordinary;
}

void HolidayBook::Set(int year, int month, int day, DayArrangement arrangement) {
    days_[DayNumber(year, month, day)] = arrangement;
}

std::optional<DayArrangement> HolidayBook::Find(int year, int month, int day) const {
    if (!IsValidDate(year, month, day))
        return std::nullopt;
    const auto it = days_.find(DayNumber(year, month, day));
    if (it == days_.end())
        return std::nullopt;
    return it->second;
}

DayArrangement ArrangementOf(const HolidayBook& book, int year, int month, int day) {
    if (const std::optional<DayArrangement> set = book.Find(year, month, day))
        return *set;
    return ArrangementOf(year, month, day);
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
