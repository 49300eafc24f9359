#include "horoscope/dailyhoroscope.h"
#include "base/datetime.h"
#include "horoscope/horoscope_phrases.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <numeric>
#include <set>
#include <stdexcept>

using namespace vemora;

namespace {

// Which phrase of its topic a sentence tells, whatever its opener: the same
// phrase under another opener is the same sentence to a reader.
const char* PhraseOf(const DaySentence& sentence) {
    for (const HoroscopePhrase& p : kHoroscopeTopics[sentence.topic].phrases) {
        const std::string_view text = p.text;
        if (sentence.text.ends_with(text))
            return p.text;
    }
    return nullptr;
}

ComposedDay ComposeDayAfter(int sign, double first, int days) {
    const DateParts date = DecodeDate(first + days);
    return ComposeDay(sign, date.year, date.month, date.day);
}

} // namespace

TEST(DailyHoroscope, EveryDayOfALeapYearFitsTheSheet) {
    std::vector<std::string> marks;
    for (const char* mark : {"，", "。", "；", "：", "、", "！", "？", "）", "》", "”"})
        marks.push_back(Gbk(mark));
    const double first = EncodeDate(2024, 1, 1);
    std::set<int> ratings, sentenceCounts;
    for (int i = 0; i < 366; ++i) {
        std::set<const char*> phrasesToday;
        for (int sign = 0; sign < 12; ++sign) {
            const ComposedDay day = ComposeDayAfter(sign, first, i);
            SCOPED_TRACE(testing::Message() << "sign " << sign << ", day " << i);
            ASSERT_GE(day.sentences.size(), 2u);
            ASSERT_LE(day.sentences.size(), 4u);
            sentenceCounts.insert(static_cast<int>(day.sentences.size()));
            ratings.insert(day.rating);
            EXPECT_TRUE(day.rating >= 1 && day.rating <= 5);
            EXPECT_TRUE(day.luckyNumber >= 1 && day.luckyNumber <= 9);
            EXPECT_TRUE(day.bestMatch >= 0 && day.bestMatch <= 11 && day.bestMatch != sign);
            EXPECT_FALSE(day.luckyColour.empty());
            std::string told;
            for (size_t k = 0; k < day.sentences.size(); ++k) {
                if (k > 0) {
                    EXPECT_LT(day.sentences[k - 1].topic, day.sentences[k].topic) << "love, work, money, health";
                }
                const char* phrase = PhraseOf(day.sentences[k]);
                ASSERT_NE(phrase, nullptr);
                EXPECT_TRUE(phrasesToday.insert(phrase).second) << "another sign tells it today";
                told += day.sentences[k].text;
            }
            // The headings, two rows for each sentence, the footnote: nothing
            // left out, no empty row, no row that begins with a punctuation
            // mark, none reaching the footnote.
            const std::vector<SheetText> texts = LayoutComposedDay(day);
            ASSERT_EQ(texts.size(), 4 + 2 * day.sentences.size() + 1);
            std::string rows;
            for (size_t r = 4; r + 1 < texts.size(); ++r) {
                const SheetText& row = texts[r];
                ASSERT_GE(row.text.size(), 2u);
                EXPECT_EQ(std::count(marks.begin(), marks.end(), row.text.substr(0, 2)), 0) << row.y;
                EXPECT_LE(row.y + 30, kFootnoteY);
                EXPECT_FALSE(row.small);
                rows += row.text;
            }
            EXPECT_EQ(rows, told);
            EXPECT_EQ(texts.back(), (SheetText{kFootnoteX, kFootnoteY, Gbk("仅供娱乐"), true}));
        }
    }
    EXPECT_EQ(ratings, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(sentenceCounts, (std::set<int>{2, 3, 4}));
}

// Each topic's phrases come round after as many days as it has phrases, all of
// them together after the least common multiple: days enough to see every
// week there can be.
TEST(DailyHoroscope, NoPhraseTwiceInAWeek) {
    int cycle = 1;
    for (const HoroscopeTopic& topic : kHoroscopeTopics)
        cycle = std::lcm(cycle, static_cast<int>(topic.phrases.size()));
    const double first = EncodeDate(2024, 1, 1);
    for (int sign = 0; sign < 12; ++sign) {
        std::deque<std::set<const char*>> week; // the six days before
        for (int i = 0; i < cycle + 6; ++i) {
            std::set<const char*> today;
            for (const DaySentence& s : ComposeDayAfter(sign, first, i).sentences)
                today.insert(PhraseOf(s));
            for (const auto& earlier : week)
                for (const char* phrase : today)
                    ASSERT_EQ(earlier.count(phrase), 0u) << "sign " << sign << ", day " << i;
            week.push_back(std::move(today));
            if (week.size() == 7)
                week.pop_front();
        }
    }
}

TEST(DailyHoroscope, TheSameDayOnEveryMachineAndBuild) {
    EXPECT_EQ(SheetWindowText(LayoutComposedDay(ComposeDay(0, 2024, 2, 29))),
              Gbk("白羊座今日运势：★★\r\n"
                  "幸运颜色：黄色  幸运数字：3\r\n"
                  "速配星座：射手座\r\n"
                  "感情方面，暧昧关系里容易患得患失，想清\r\n"
                  "楚自己要什么再行动。\r\n"
                  "工作方面，计划赶不上变化，遇到临时调整\r\n"
                  "时要保持冷静。\r\n"
                  "钱财方面，容易冲动消费，购物车里的东西\r\n"
                  "先放一放再说。\r\n"
                  "身体方面，状态很好，跑步或游泳都能让你\r\n"
                  "出一身畅快的汗。\r\n"
                  "仅供娱乐"));
    // Every sign on every day of a leap year.
    std::uint64_t digest = 0xCBF29CE484222325u; // FNV-1a
    const double first = EncodeDate(2024, 1, 1);
    for (int sign = 0; sign < 12; ++sign)
        for (int i = 0; i < 366; ++i)
            for (unsigned char b : SheetWindowText(LayoutComposedDay(ComposeDayAfter(sign, first, i))) + "\n")
                digest = (digest ^ b) * 0x100000001B3u;
    EXPECT_EQ(digest, 0x78FD1B6F3311ADF0u);
}

TEST(DailyHoroscope, NoSuchSignOrDate) {
    const struct {
        int sign, year, month, day;
    } cases[] = {{-1, 2024, 1, 1}, {12, 2024, 1, 1}, {0, 2023, 2, 29}, {0, 2024, 13, 1}, {0, 0, 1, 1}};
    for (const auto& c : cases)
        EXPECT_THROW(ComposeDay(c.sign, c.year, c.month, c.day), std::out_of_range) << c.sign << " " << c.year;
    EXPECT_NO_THROW(ComposeDay(11, 9999, 12, 31));
    EXPECT_NO_THROW(ComposeDay(0, 1, 1, 1));
}
