#include "calendar/holidays.h"

#include "calendar/lunar_table.h"

#include <algorithm>
#include <cstdio>

namespace vemora {

using lunar_table::DayNumber;

namespace {

// The holiday arrangements announced by the State Council, 2008 to 2026. A
// break runs for `days` days from its first day, its weekend days included.
struct Break {
    int first, days;
};
constexpr Break B(int year, int month, int day, int days) {
    return {DayNumber(year, month, day), days};
}
constexpr int W(int year, int month, int day) {
    return DayNumber(year, month, day);
}

// In each year: 元旦, 春节, 清明, 劳动节, 端午, 中秋, 国庆 (中秋 and 国庆 as one
// break when they meet).
constexpr Break kBreaks[] = {
    B(2007, 12, 30, 3),
    B(2008, 2, 6, 7),
    B(2008, 4, 4, 3),
    B(2008, 5, 1, 3),
    B(2008, 6, 7, 3),
    B(2008, 9, 13, 3),
    B(2008, 9, 29, 7), //
    B(2009, 1, 1, 3),
    B(2009, 1, 25, 7),
    B(2009, 4, 4, 3),
    B(2009, 5, 1, 3),
    B(2009, 5, 28, 3),
    B(2009, 10, 1, 8), //
    B(2010, 1, 1, 3),
    B(2010, 2, 13, 7),
    B(2010, 4, 3, 3),
    B(2010, 5, 1, 3),
    B(2010, 6, 14, 3),
    B(2010, 9, 22, 3),
    B(2010, 10, 1, 7), //
    B(2011, 1, 1, 3),
    B(2011, 2, 2, 7),
    B(2011, 4, 3, 3),
    B(2011, 4, 30, 3),
    B(2011, 6, 4, 3),
    B(2011, 9, 10, 3),
    B(2011, 10, 1, 7), //
    B(2012, 1, 1, 3),
    B(2012, 1, 22, 7),
    B(2012, 4, 2, 3),
    B(2012, 4, 29, 3),
    B(2012, 6, 22, 3),
    B(2012, 9, 30, 8), //
    B(2013, 1, 1, 3),
    B(2013, 2, 9, 7),
    B(2013, 4, 4, 3),
    B(2013, 4, 29, 3),
    B(2013, 6, 10, 3),
    B(2013, 9, 19, 3),
    B(2013, 10, 1, 7), //
    B(2014, 1, 1, 1),
    B(2014, 1, 31, 7),
    B(2014, 4, 5, 3),
    B(2014, 5, 1, 3),
    B(2014, 5, 31, 3),
    B(2014, 9, 6, 3),
    B(2014, 10, 1, 7), //
    // 2015 also had 9-3 to 9-5 off for the 70th anniversary of victory in the war against Japan.
    B(2015, 1, 1, 3),
    B(2015, 2, 18, 7),
    B(2015, 4, 4, 3),
    B(2015, 5, 1, 3),
    B(2015, 6, 20, 3),
    B(2015, 9, 3, 3),
    B(2015, 9, 26, 2),
    B(2015, 10, 1, 7), //
    B(2016, 1, 1, 3),
    B(2016, 2, 7, 7),
    B(2016, 4, 2, 3),
    B(2016, 4, 30, 3),
    B(2016, 6, 9, 3),
    B(2016, 9, 15, 3),
    B(2016, 10, 1, 7), //
    B(2016, 12, 31, 3),
    B(2017, 1, 27, 7),
    B(2017, 4, 2, 3),
    B(2017, 4, 29, 3),
    B(2017, 5, 28, 3),
    B(2017, 10, 1, 8), //
    B(2017, 12, 30, 3),
    B(2018, 2, 15, 7),
    B(2018, 4, 5, 3),
    B(2018, 4, 29, 3),
    B(2018, 6, 16, 3),
    B(2018, 9, 22, 3),
    B(2018, 10, 1, 7), //
    // 2019: 劳动节 as amended in March 2019.
    B(2018, 12, 30, 3),
    B(2019, 2, 4, 7),
    B(2019, 4, 5, 3),
    B(2019, 5, 1, 4),
    B(2019, 6, 7, 3),
    B(2019, 9, 13, 3),
    B(2019, 10, 1, 7), //
    // 2020: 春节 as extended to 2-2 in January 2020, which also cancelled the working Saturday 2-1.
    B(2020, 1, 1, 1),
    B(2020, 1, 24, 10),
    B(2020, 4, 4, 3),
    B(2020, 5, 1, 5),
    B(2020, 6, 25, 3),
    B(2020, 10, 1, 8), //
    B(2021, 1, 1, 3),
    B(2021, 2, 11, 7),
    B(2021, 4, 3, 3),
    B(2021, 5, 1, 5),
    B(2021, 6, 12, 3),
    B(2021, 9, 19, 3),
    B(2021, 10, 1, 7), //
    B(2022, 1, 1, 3),
    B(2022, 1, 31, 7),
    B(2022, 4, 3, 3),
    B(2022, 4, 30, 5),
    B(2022, 6, 3, 3),
    B(2022, 9, 10, 3),
    B(2022, 10, 1, 7), //
    B(2022, 12, 31, 3),
    B(2023, 1, 21, 7),
    B(2023, 4, 5, 1),
    B(2023, 4, 29, 5),
    B(2023, 6, 22, 3),
    B(2023, 9, 29, 8), //
    B(2023, 12, 30, 3),
    B(2024, 2, 10, 8),
    B(2024, 4, 4, 3),
    B(2024, 5, 1, 5),
    B(2024, 6, 8, 3),
    B(2024, 9, 15, 3),
    B(2024, 10, 1, 7), //
    B(2025, 1, 1, 1),
    B(2025, 1, 28, 8),
    B(2025, 4, 4, 3),
    B(2025, 5, 1, 5),
    B(2025, 5, 31, 3),
    B(2025, 10, 1, 8), //
    B(2026, 1, 1, 3),
    B(2026, 2, 15, 9),
    B(2026, 4, 4, 3),
    B(2026, 5, 1, 5),
    B(2026, 6, 19, 3),
    B(2026, 9, 25, 3),
    B(2026, 10, 1, 7),
};

// Weekend days made working days, by the year of the announcement.
constexpr int kWorkdays[] = {
    W(2007, 12, 29), W(2008, 2, 2),   W(2008, 2, 3),  W(2008, 5, 4),  W(2008, 9, 27),  W(2008, 9, 28),  //
    W(2009, 1, 4),   W(2009, 1, 24),  W(2009, 2, 1),  W(2009, 5, 31), W(2009, 9, 27),  W(2009, 10, 10), //
    W(2010, 2, 20),  W(2010, 2, 21),  W(2010, 6, 12), W(2010, 6, 13), W(2010, 9, 19),  W(2010, 9, 25),
    W(2010, 9, 26),  W(2010, 10, 9),                                                  //
    W(2011, 1, 30),  W(2011, 2, 12),  W(2011, 4, 2),  W(2011, 10, 8), W(2011, 10, 9), //
    W(2011, 12, 31), W(2012, 1, 21),  W(2012, 1, 29), W(2012, 3, 31), W(2012, 4, 1),   W(2012, 4, 28),
    W(2012, 9, 29), //
    W(2013, 1, 5),   W(2013, 1, 6),   W(2013, 2, 16), W(2013, 2, 17), W(2013, 4, 7),   W(2013, 4, 27),
    W(2013, 4, 28),  W(2013, 6, 8),   W(2013, 6, 9),  W(2013, 9, 22), W(2013, 9, 29),  W(2013, 10, 12), //
    W(2014, 1, 26),  W(2014, 2, 8),   W(2014, 5, 4),  W(2014, 9, 28), W(2014, 10, 11),                  //
    W(2015, 1, 4),   W(2015, 2, 15),  W(2015, 2, 28), W(2015, 9, 6),  W(2015, 10, 10),                  //
    W(2016, 2, 6),   W(2016, 2, 14),  W(2016, 6, 12), W(2016, 9, 18), W(2016, 10, 8),  W(2016, 10, 9),  //
    W(2017, 1, 22),  W(2017, 2, 4),   W(2017, 4, 1),  W(2017, 5, 27), W(2017, 9, 30),                   //
    W(2018, 2, 11),  W(2018, 2, 24),  W(2018, 4, 8),  W(2018, 4, 28), W(2018, 9, 29),  W(2018, 9, 30),  //
    W(2018, 12, 29), W(2019, 2, 2),   W(2019, 2, 3),  W(2019, 4, 28), W(2019, 5, 5),   W(2019, 9, 29),
    W(2019, 10, 12),                                                                                    //
    W(2020, 1, 19),  W(2020, 4, 26),  W(2020, 5, 9),  W(2020, 6, 28), W(2020, 9, 27),  W(2020, 10, 10), //
    W(2021, 2, 7),   W(2021, 2, 20),  W(2021, 4, 25), W(2021, 5, 8),  W(2021, 9, 18),  W(2021, 9, 26),
    W(2021, 10, 9), //
    W(2022, 1, 29),  W(2022, 1, 30),  W(2022, 4, 2),  W(2022, 4, 24), W(2022, 5, 7),   W(2022, 10, 8),
    W(2022, 10, 9), //
    W(2023, 1, 28),  W(2023, 1, 29),  W(2023, 4, 23), W(2023, 5, 6),  W(2023, 6, 25),  W(2023, 10, 7),
    W(2023, 10, 8), //
    W(2024, 2, 4),   W(2024, 2, 18),  W(2024, 4, 7),  W(2024, 4, 28), W(2024, 5, 11),  W(2024, 9, 14),
    W(2024, 9, 29),  W(2024, 10, 12),                                                  //
    W(2025, 1, 26),  W(2025, 2, 8),   W(2025, 4, 27), W(2025, 9, 28), W(2025, 10, 11), //
    W(2026, 1, 4),   W(2026, 2, 14),  W(2026, 2, 28), W(2026, 5, 9),  W(2026, 9, 20),  W(2026, 10, 10),
};

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidDate(int year, int month, int day) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 && day <= (month == 2 && IsLeap(year) ? 29 : kDays[month - 1]);
}

// Reading holidays.txt.

// Strict UTF-8: no overlong forms, surrogates or code points beyond U+10FFFF.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    if (c < 0x80)
        return 1;
    size_t n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (i + n > s.size() || at(i + 1) < lo || at(i + 1) > hi)
        return 0;
    for (size_t k = 2; k < n; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return n;
}

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

// Applies one line to the book; the reason it cannot, or nullptr.
const char* ApplyLine(std::string_view line, bool gbk, HolidayBook& book) {
    if (const size_t hash = line.find('#'); hash != std::string_view::npos)
        line = line.substr(0, hash);
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

} // namespace

DayArrangement ArrangementOf(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        return DayArrangement::Ordinary;
    const int n = DayNumber(year, month, day);
    for (const Break& b : kBreaks)
        if (n >= b.first && n < b.first + b.days)
            return DayArrangement::Holiday;
    if (std::find(std::begin(kWorkdays), std::end(kWorkdays), n) != std::end(kWorkdays))
        return DayArrangement::Workday;
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
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom)
        bytes.remove_prefix(3);
    const bool cut = bytes.size() > kHolidayFileMaxBytes;
    if (cut) {
        // Only whole lines of what is read.
        bytes = bytes.substr(0, kHolidayFileMaxBytes);
        bytes = bytes.substr(0, bytes.rfind('\n') + 1);
    }
    file.gbk = !bom && !IsUtf8(bytes);

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
        if (const char* reason = ApplyLine(line, file.gbk, file.book)) {
            if (++badLines <= kHolidayFileMaxProblems)
                file.problems.push_back("holidays.txt 第 " + std::to_string(number) + " 行无法识别：" +
                                        Quote(line, file.gbk, gbkToUtf8) + "（" + reason + "）");
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
