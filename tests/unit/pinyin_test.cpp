#include "weather/pinyin.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(Pinyin, TellingRowsOfTheTables) {
    struct Row {
        const char* text;
        const char* syllables;
    };
    const Row rows[] = {
        {"南京", "NANJING"},
        {"北京", "BEIJING"},
        {"上海", "SHANGHAI"},
        {"长沙", "ZHANGSHA"},
        {"重庆", "ZHONGQING"},
        {"厦门", "SHAMEN"},
        {"石家庄", "SHIJIAZHUANG"},
        {"女", "NV"},
        {"绿", "LV"},
        {"略", "LUE"},
        {"虐", "NUE"},
        {"庄床双", "ZHUANGCHUANGSHUANG"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TextToPinyin(Gbk(r.text), 1, 100), r.syllables) << r.text;
    for (const char* none : {"佛", "给", "髟"})
        EXPECT_EQ(TextToPinyin(Gbk(none), 3, 100), "?") << none;
    for (int i = 1; i <= kPinyinSyllableCount; ++i) {
        const std::string s = PinyinSyllableTable[i];
        EXPECT_TRUE(s.size() >= 1 && s.size() <= 6) << s;
        EXPECT_NE(s, "fo");
        EXPECT_NE(s, "gei");
    }
    // The symbol rows and the unassigned codes hold no reading.
    for (int lead = 0xA1; lead <= 0xA9; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            ASSERT_EQ(PinyinIndexTable[(lead - 0x81) * 191 + (trail - 0x40)], 0) << lead << " " << trail;
    for (int trail = 0xFA; trail <= 0xFE; ++trail)
        EXPECT_EQ(PinyinIndexTable[(0xD7 - 0x81) * 191 + (trail - 0x40)], 0);
    // Every GB2312 character but three has a reading.
    int gb2312 = 0;
    for (int lead = 0xB0; lead <= 0xF7; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail)
            gb2312 += PinyinIndexTable[(lead - 0x81) * 191 + (trail - 0x40)] != 0;
    EXPECT_EQ(gb2312, 6760);
}

TEST(Pinyin, WorkedResultsAndFlags) {
    struct Case {
        const char* text;
        int flags, maximum;
        const char* result;
    };
    const Case cases[] = {
        {"南京", 1, 20, "NANJING"},
        {"Nanjing 2", 1, 20, "NANJING2"},
        {"①号", 1, 20, "1HAO"},
        {"南京。", 1, 20, "NANJING"},
        {"南京", 0, 20, "NJ"},
        {"南京。", 2, 20, "NJ?"},
        {"南京。", 3, 20, "NANJING?"},
        {"ａＡ５！", 5, 20, "aA5!"},
        {"ａＡ５！", 1, 20, "aA5"},
        {"南京", -1, 20, ""},
        {"南京", 1, 0, ""},
        {"南京", 1, -3, ""},
        {"张家界国家森林公园", 1, 20, "ZHANGJIAJIEGUOJIASEN"},
        {"", 1, 20, ""},
        {"  ,.;、。", 1, 20, ""},
        {"、", 2, 20, "?"},
        {"Θθ", 1, 20, "THTH"},
        {"Θθ", 0, 20, "THTH"},
        {"Ⅻⅰ⒛⑽㈩", 1, 20, "121201010"},
        {"a b-c", 4, 20, "A B-C"},
        {"南京", 1, 5, "NANJI"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextToPinyin(Gbk(c.text), c.flags, c.maximum), c.result) << c.text << " flags " << c.flags;
}

TEST(Pinyin, BytesThatAreNotWholeCharacters) {
    // A lead byte at the very end is a single byte, dropped without bit 2.
    EXPECT_EQ(TextToPinyin(Gbk("南") + "\xC4", 1, 20), "NAN");
    EXPECT_EQ(TextToPinyin(std::string("\xC4"), 4, 20), "\xC4");
    // A lead byte followed by a byte below 0x40 is a single byte; the next byte starts anew.
    EXPECT_EQ(TextToPinyin(std::string("\xC4"
                                       "1\xC4\xCF"),
                           1, 20),
              "1NAN");
    // The 0xFF rows lie outside the tables: unknown characters.
    EXPECT_EQ(TextToPinyin(std::string("\xFF\x41"
                                       "a\xC4\xFF"),
                           3, 20),
              "?A?");
    EXPECT_EQ(TextToPinyin(std::string("\xA2\xFF\xA6\xB9\xA6\xD9"), 3, 20), "???");
    // The unassigned row-0xA2 codes give nothing, not "?".
    EXPECT_EQ(TextToPinyin(std::string("\xA2\xAB"), 3, 20), "");
}

TEST(Pinyin, CityNamesAsTheCityBoxesTakeThem) {
    EXPECT_EQ(CityToPinyin(Gbk("南京市")), "NANJING");
    EXPECT_EQ(CityToPinyin(Gbk("北京市")), "BEIJING");
    EXPECT_EQ(CityToPinyin("Beijing"), "BEIJING");
    EXPECT_EQ(CityToPinyin(Gbk("市")), "");
    EXPECT_EQ(CityToPinyin(Gbk("市市")), "");
    EXPECT_EQ(CityToPinyin(""), "");
    // 0xCA 0xD0 straddling two characters is not 市.
    EXPECT_EQ(CityToPinyin(std::string("\xB0\xCA\xD0\xA1")), TextToPinyin(std::string("\xB0\xCA\xD0\xA1"), 1, 20));
}

TEST(Pinyin, CityNamesWithoutAReadingAreTold) {
    const struct {
        std::string city;
        bool unreadable;
    } kCases[] = {
        {Gbk("南京市"), false}, {"Beijing", false}, {"", false},           {Gbk(" 市 "), false},
        {Gbk("。"), true},      {"?", true},        {Gbk("！！市"), true}, {Gbk("南京。"), false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(CityNameUnreadable(c.city), c.unreadable) << c.city;
}
