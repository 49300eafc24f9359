#include "calendar/almanac.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vemora;

namespace {

// A day as lunar-javascript gives it (tools/makealmanac.js recorded them).
struct ReferenceDay {
    int y, m, d;
    const char *year, *month, *day, *spirit, *path, *officer, *clashAnimal, *clashGanZhi, *sha, *pengZuStem,
        *pengZuBranch, *good, *bad;
    // The package's other readings of the year and the month, which the card does not use.
    const char *yearByNewYear, *yearExact, *monthExact;
};

constexpr ReferenceDay kReference[] = {
#include "almanac_reference.inc"
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(Almanac, EveryFieldIsTheReferencesOnEveryRecordedDay) {
    int newYearDiffers = 0, exactMonthDiffers = 0;
    for (const ReferenceDay& r : kReference) {
        const AlmanacDay a = AlmanacOn(r.y, r.m, r.d);
        const std::string at = std::to_string(r.y) + "-" + std::to_string(r.m) + "-" + std::to_string(r.d);
        EXPECT_EQ(a.yearGanZhi, r.year) << at;
        EXPECT_EQ(a.monthGanZhi, r.month) << at;
        EXPECT_EQ(a.dayGanZhi, r.day) << at;
        EXPECT_EQ(a.spirit, r.spirit) << at;
        EXPECT_EQ(a.yellowPath ? "黄道" : "黑道", std::string(r.path)) << at;
        EXPECT_EQ(a.officer, r.officer) << at;
        EXPECT_EQ(a.clashAnimal, r.clashAnimal) << at;
        EXPECT_EQ(a.clashGanZhi, r.clashGanZhi) << at;
        EXPECT_EQ(a.shaDirection, r.sha) << at;
        EXPECT_EQ(a.pengZuStem, r.pengZuStem) << at;
        EXPECT_EQ(a.pengZuBranch, r.pengZuBranch) << at;
        EXPECT_EQ(JoinItems(a.good), r.good) << at;
        EXPECT_EQ(JoinItems(a.bad), r.bad) << at;
        newYearDiffers += std::string(r.yearByNewYear) != r.year;
        exactMonthDiffers += std::string(r.monthExact) != r.month;
    }
    // The recorded days reach the edges where the package's other readings part
    // from the card's: between 立春 and 正月初一, and on the days of the 节.
    EXPECT_GT(newYearDiffers, 10);
    EXPECT_GT(exactMonthDiffers, 10);
}

TEST(Almanac, CardLinesAndTipLine) {
    EXPECT_EQ(AlmanacLines(2026, 12, 8), (std::vector<std::string>{
                                             "干支：丙午年 庚子月 丙辰日",
                                             "值神：天牢（黑道）",
                                             "建除：定日",
                                             "冲煞：冲狗（庚戌） 煞南",
                                             "彭祖百忌：丙不修灶必见灾殃 辰不哭泣必主重丧",
                                             "宜：入宅 安床 开光 祭祀 出火 拆卸 动土 挂匾 入殓 破土 安葬 纳畜",
                                             "忌：嫁娶 开市 作灶 置产 作梁 伐木",
                                         }));
    EXPECT_EQ(AlmanacTipLine(2026, 12, 8, 3), "宜：入宅 安床 开光 … 忌：嫁娶 开市 作灶 …");
    EXPECT_EQ(AlmanacTipLine(2026, 12, 8, 6), "宜：入宅 安床 开光 祭祀 出火 拆卸 … 忌：嫁娶 开市 作灶 置产 作梁 伐木");
    EXPECT_TRUE(AlmanacLines(1900, 12, 31).empty());
    EXPECT_TRUE(AlmanacTipLine(2101, 1, 1, 3).empty());
    EXPECT_THROW(AlmanacOn(2101, 1, 1), std::out_of_range);
}

// Where node and lunar-javascript are installed (the package in the directory
// LUNAR_JAVASCRIPT_DIR names, else /tmp/lunarjs/node_modules/lunar-javascript,
// as tools/makealmanac.js says), its generator writes the committed files
// byte for byte.
TEST(Almanac, CommittedFilesAreWhatTheGeneratorWrites) {
    const char* dir = std::getenv("LUNAR_JAVASCRIPT_DIR");
    const std::filesystem::path package = dir ? dir : "/tmp/lunarjs/node_modules/lunar-javascript";
    if (!std::filesystem::exists(package / "package.json"))
        GTEST_SKIP() << "no lunar-javascript at " << package;
    if (std::system("node --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no node";
    const std::filesystem::path source = VEMORA_SOURCE_DIR;
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "vemora_almanac_check";
    std::filesystem::create_directories(out);
    const std::string command = "node '" + (source / "tools/makealmanac.js").string() + "' '" + package.string() +
                                "' '" + (out / "table.cpp").string() + "' '" + (out / "reference.inc").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(ReadFile(out / "table.cpp") == ReadFile(source / "calendar/almanac_table.cpp"));
    EXPECT_TRUE(ReadFile(out / "reference.inc") == ReadFile(source / "tests/unit/almanac_reference.inc"));
    std::filesystem::remove_all(out);
}
