#include "calendar/almanac.h"

#include "calendar/almanac_table.h"
#include "calendar/lunar.h"
#include "calendar/lunar_table.h"

#include <stdexcept>

namespace vemora {

namespace {

constexpr const char* kStems[10] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
constexpr const char* kBranches[12] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
constexpr const char* kAnimals[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};
constexpr const char* kOfficers[12] = {"建", "除", "满", "平", "定", "执", "破", "危", "成", "收", "开", "闭"};
// The spirits in their order of duty; the 黄道 ones are marked.
constexpr struct {
    const char* name;
    bool yellow;
} kSpirits[12] = {{"青龙", true},  {"明堂", true}, {"天刑", false}, {"朱雀", false}, {"金匮", true}, {"天德", true},
                  {"白虎", false}, {"玉堂", true}, {"天牢", false}, {"玄武", false}, {"司命", true}, {"勾陈", false}};
constexpr const char* kPengZuStem[10] = {"甲不开仓财物耗散", "乙不栽植千株不长", "丙不修灶必见灾殃", "丁不剃头头必生疮",
                                         "戊不受田田主不祥", "己不破券二比并亡", "庚不经络织机虚张", "辛不合酱主人不尝",
                                         "壬不泱水更难提防", "癸不词讼理弱敌强"};
constexpr const char* kPengZuBranch[12] = {"子不问卜自惹祸殃", "丑不冠带主不还乡", "寅不祭祀神鬼不尝",
                                           "卯不穿井水泉不香", "辰不哭泣必主重丧", "巳不远行财物伏藏",
                                           "午不苫盖屋主更张", "未不服药毒气入肠", "申不安床鬼祟入房",
                                           "酉不会客醉坐颠狂", "戌不吃犬作怪上床", "亥不嫁娶不利新郎"};
// 煞 by the 三合 group of the day's branch: 申子辰 south, 寅午戌 north,
// 亥卯未 west, 巳酉丑 east; indexed by branch modulo 4.
constexpr const char* kSha[4] = {"南", "东", "北", "西"};

constexpr int kLiChun = 3;

int Mod(int a, int n) {
    return (a % n + n) % n;
}

// Index in the sexagenary cycle (甲子 = 0) of a stem and a branch of the same parity.
int Cycle(int stem, int branch) {
    return Mod(6 * stem - 5 * branch, 60);
}

std::string GanZhi(int cycle) {
    return std::string(kStems[cycle % 10]) + kBranches[cycle % 12];
}

// The day of the 节 in a Gregorian month (小寒 in January, 立春 in February ...):
// all fall on the 3rd to the 9th.
int JieDay(int year, int month) {
    const int term = 2 * month - 1;
    for (int day = 3; day <= 9; ++day)
        if (SolarTermOn(year, month, day) == term)
            return day;
    throw std::logic_error("lunar table: a month without its 节");
}

std::vector<std::string> ListAt(int offset) {
    const int count = almanac_table::kLists[offset];
    std::vector<std::string> items;
    for (int i = 1; i <= count; ++i)
        items.emplace_back(almanac_table::kActivities[almanac_table::kLists[offset + i]]);
    return items;
}

std::string FirstItems(const std::vector<std::string>& items, int count) {
    const std::vector<std::string> first(items.begin(), items.begin() + std::min<size_t>(items.size(), count));
    return JoinItems(first) + (first.size() < items.size() ? " …" : "");
}

} // namespace

AlmanacDay AlmanacOn(int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        throw std::out_of_range("no almanac for this day");
    const bool afterJie = day >= JieDay(year, month);
    // The year of the pillars begins on the day of 立春, its first month (寅).
    const int pillarYear = month > 2 || (month == 2 && afterJie) ? year : year - 1;
    const int yearStem = Mod(pillarYear - 4, 10), yearBranch = Mod(pillarYear - 4, 12);
    // A Gregorian month's 节 begins the month of branch `month` (丑 in January,
    // 寅 in February ... 子 in December); the days before it are the month before.
    const int monthBranch = Mod(afterJie ? month : month - 1, 12);
    // 五虎遁: the 寅 month of a 甲 or 己 year is 丙寅, and so on by two stems a year.
    const int monthsFromYin = Mod(monthBranch - 2, 12);
    const int monthStem = Mod(2 * yearStem + 2 + monthsFromYin, 10);
    const int dayCycle = Mod(lunar_table::DayNumber(year, month, day) + 17, 60); // 1970-01-01 was 辛巳
    const int dayStem = dayCycle % 10, dayBranch = dayCycle % 12;

    AlmanacDay a;
    a.yearGanZhi = GanZhi(Cycle(yearStem, yearBranch));
    a.monthGanZhi = GanZhi(Cycle(monthStem, monthBranch));
    a.dayGanZhi = GanZhi(dayCycle);
    // 建 falls on the day of the month's own branch; 青龙 begins at 申 in a 子
    // month and two branches later each month after it.
    a.officer = kOfficers[Mod(dayBranch - monthBranch, 12)];
    const int spirit = Mod(dayBranch - (8 + 2 * monthBranch), 12);
    a.spirit = kSpirits[spirit].name;
    a.yellowPath = kSpirits[spirit].yellow;
    // The branch six away, under the stem the day's stem overcomes (丙 fire over 庚 metal).
    const int clashBranch = (dayBranch + 6) % 12;
    a.clashAnimal = kAnimals[clashBranch];
    a.clashGanZhi = GanZhi(Cycle((dayStem + 4) % 10, clashBranch));
    a.shaDirection = kSha[dayBranch % 4];
    a.pengZuStem = kPengZuStem[dayStem];
    a.pengZuBranch = kPengZuBranch[dayBranch];
    const std::uint16_t* cell = almanac_table::kCells[monthBranch][dayCycle];
    a.good = ListAt(cell[0]);
    a.bad = ListAt(cell[1]);
    return a;
}

std::string JoinItems(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : " ") + item;
    return text;
}

std::vector<std::string> AlmanacLines(int year, int month, int day) {
    if (!InLunarRange(year, month, day))
        return {};
    const AlmanacDay a = AlmanacOn(year, month, day);
    return {
        "干支：" + a.yearGanZhi + "年 " + a.monthGanZhi + "月 " + a.dayGanZhi + "日",
        "值神：" + a.spirit + (a.yellowPath ? "（黄道）" : "（黑道）"),
        "建除：" + a.officer + "日",
        "冲煞：冲" + a.clashAnimal + "（" + a.clashGanZhi + "） 煞" + a.shaDirection,
        "彭祖百忌：" + a.pengZuStem + " " + a.pengZuBranch,
        "宜：" + JoinItems(a.good),
        "忌：" + JoinItems(a.bad),
    };
}

std::string AlmanacTipLine(int year, int month, int day, int count) {
    if (!InLunarRange(year, month, day))
        return {};
    const AlmanacDay a = AlmanacOn(year, month, day);
    return "宜：" + FirstItems(a.good, count) + " 忌：" + FirstItems(a.bad, count);
}

} // namespace vemora
