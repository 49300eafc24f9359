#pragma once
#include "calendar/lunar.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Holiday arrangements added by the user in holidays.txt beside the exe, one
// day a line ("2027-01-01 休", "2027-02-07 班", "#" comments), in UTF-8 or GBK.
namespace vemora {

// Days whose arrangement the user has set; they take precedence over the
// built-in data. The caller owns the book and passes it where needed.
class HolidayBook {
public:
    void Set(int year, int month, int day, DayArrangement arrangement);
    std::optional<DayArrangement> Find(int year, int month, int day) const;
    size_t size() const { return days_.size(); }

private:
    std::map<int, DayArrangement> days_; // by day number
};

// The book's arrangement of the day if it has one, else the built-in one.
DayArrangement ArrangementOf(const HolidayBook& book, int year, int month, int day);

struct HolidayFile {
    HolidayBook book;
    // One message per bad line, in Chinese, in line order, then any note that
    // the file was cut short: "holidays.txt 第 3 行无法识别：2027-02-30 休（没有这一天）".
    std::vector<std::string> problems;
    bool gbk = false; // some line was read as GBK (the others as UTF-8)
};

// Turns GBK bytes into UTF-8; the shell passes one that uses code page 936.
using GbkToUtf8 = std::function<std::string(std::string_view)>;

constexpr size_t kHolidayFileMaxBytes = 256 * 1024;
constexpr int kHolidayFileMaxLines = 5000;
constexpr size_t kHolidayFileMaxProblems = 20;

// Reads the bytes of holidays.txt. A UTF-8 byte-order mark is skipped. Each
// line is read in its own encoding: as UTF-8 where its bytes are UTF-8 and
// make sense so, else as GBK; a damaged byte or a GBK comment spoils only its
// own line. Bad lines are skipped and reported, and change no day; the others
// still apply; a later line for the same day wins. Only the first
// kHolidayFileMaxBytes and kHolidayFileMaxLines are read, and only the first
// kHolidayFileMaxProblems bad lines are quoted. Without `gbkToUtf8`, a GBK
// line is quoted with "?" for each character beyond ASCII.
HolidayFile ParseHolidayFile(std::string_view bytes, const GbkToUtf8& gbkToUtf8 = {});

} // namespace vemora
