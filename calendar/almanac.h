#pragma once
#include <string>
#include <vector>

// The almanac (黄历) of a day of 1901-2100: its 干支, what it is good and bad
// for, the sign it clashes with and the sayings of 彭祖. Texts are UTF-8.
namespace vemora {

struct AlmanacDay {
    // "丙午": the year changes on the day of 立春, the month on the day of
    // each 节 (立春, 惊蛰, ... 小寒), the day at midnight.
    std::string yearGanZhi, monthGanZhi, dayGanZhi;
    std::string spirit;                   // 值神: "青龙" .. "勾陈"
    bool yellowPath = false;              // the spirit is of the 黄道, else of the 黑道
    std::string officer;                  // 建除: "建" .. "闭"
    std::string clashAnimal, clashGanZhi; // 冲: "狗", "庚戌"
    std::string shaDirection;             // 煞: "南"
    std::string pengZuStem, pengZuBranch; // 彭祖百忌 of the day's stem and branch
    std::vector<std::string> good, bad;   // 宜 and 忌, in the almanac's order
};

// The almanac of a day; std::out_of_range beyond 1901-2100.
AlmanacDay AlmanacOn(int year, int month, int day);

// The card as read aloud, one labelled line each, items separated by one space:
// "干支：丙午年 庚子月 丙辰日", "值神：天牢（黑道）", "建除：定日",
// "冲煞：冲狗（庚戌） 煞南", "彭祖百忌：…", "宜：…", "忌：…", in the order of
// AlmanacLine. None beyond the range.
enum AlmanacLine { kGanZhiLine, kSpiritLine, kOfficerLine, kClashLine, kPengZuLine, kGoodLine, kBadLine };
std::vector<std::string> AlmanacLines(int year, int month, int day);

// One line for the clock's tooltip with the first `count` items of each list,
// "宜：祭祀 祈福 … 忌：嫁娶 …" (… only where items are left out). Empty beyond the range.
std::string AlmanacTipLine(int year, int month, int day, int count);

// The items joined by one space.
std::string JoinItems(const std::vector<std::string>& items);

} // namespace vemora
