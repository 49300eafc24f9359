#include "base/gbk.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(Gbk, LeadAndTrailBytes) {
    struct Row {
        unsigned char byte;
        bool lead, trail;
    };
    const Row rows[] = {
        {0x00, false, false}, {0x3F, false, false}, {0x40, false, true}, {0x7E, false, true}, {0x7F, false, false},
        {0x80, false, true},  {0x81, true, true},   {0xA1, true, true},  {0xFE, true, true},  {0xFF, false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(IsGbkLeadByte(r.byte), r.lead) << int(r.byte);
        EXPECT_EQ(IsGbkTrailByte(r.byte), r.trail) << int(r.byte);
    }
}

TEST(Gbk, CharacterLengthAndCut) {
    struct Length {
        const char* text;
        std::size_t at, length;
    };
    const Length lengths[] = {
        {"\xC4\xCF", 0, 2}, {"\xC4\xCF", 1, 1}, {"\xC4", 0, 1},     {"\xC4\x41", 0, 2}, {"\xC4\x7F", 0, 1},
        {"\xC4\x80", 0, 2}, {"\xFF\xA1", 0, 1}, {"\x80\xA1", 0, 1}, {"\xC4\xFF", 0, 1}, {"a\xC4\xCF", 0, 1},
    };
    for (const Length& l : lengths)
        EXPECT_EQ(GbkCharLength(l.text, l.at), l.length) << l.text << " at " << l.at;

    const std::string nanjing = "\xC4\xCF\xBE\xA9"; // 南京
    struct Cut {
        std::string text;
        std::size_t maxBytes;
        std::string result;
    };
    const Cut cuts[] = {
        {nanjing, 4, nanjing},
        {nanjing, 3, "\xC4\xCF"},
        {nanjing, 1, ""},
        {nanjing, 0, ""},
        {"a" + nanjing, 2, "a"},
        {"ab\xC4", 3, "ab\xC4"},
        {"\xFF\xC4\xCF", 2, "\xFF"},
        {nanjing, 100, nanjing},
    };
    for (const Cut& c : cuts)
        EXPECT_EQ(CutGbk(c.text, c.maxBytes), c.result) << c.text << " to " << c.maxBytes;
}
