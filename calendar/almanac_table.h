#pragma once
#include <cstdint>

// The almanac's 宜 and 忌 lists as tools/makealmanac.js generates them
// (calendar/almanac_table.cpp).
namespace vemora::almanac_table {

constexpr int kActivityCount = 114;
constexpr int kListBytes = 12508;

// The activities, in the order the lists first name them.
extern const char* const kActivities[kActivityCount];
// The lists, one after another: a count, then that many activity numbers.
extern const std::uint8_t kLists[kListBytes];
// By the month's branch (子 = 0) and the day's 干支 (甲子 = 0): the offsets in
// kLists of the day's 宜 and of its 忌.
extern const std::uint16_t kCells[12][60][2];

} // namespace vemora::almanac_table
