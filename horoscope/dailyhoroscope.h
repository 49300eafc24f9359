#pragma once
#include "horoscope/horoscope.h"

#include <string>
#include <vector>

namespace vemora {

// One sentence of a composed day, GBK: its topic (0 love, 1 work, 2 money,
// 3 health) and its text, an opener such as "爱情方面，" and a phrase.
struct DaySentence {
    int topic = 0;
    std::string text;
    bool operator==(const DaySentence&) const = default;
};

// A sign's horoscope for one day, composed from the program's own phrases when
// no horoscope site is set. Texts are GBK.
struct ComposedDay {
    int sign = 0;                       // index into ZodiacSigns
    int rating = 3;                     // stars, 1..5, as good as the sentences shown
    std::string luckyColour;            // "红色"
    int luckyNumber = 1;                // 1..9
    int bestMatch = 0;                  // index into ZodiacSigns, another sign than sign
    std::vector<DaySentence> sentences; // 2..4, love, work, money, health in that order, some left out
};

// The day of a sign (0..11) on a local date. The same sign and date give the
// same day on every machine and in every run; a sign never meets the same
// sentence twice within seven days, and two signs never share a sentence on
// the same day. Throws std::out_of_range for a sign outside 0..11 or a date
// that does not exist (years 1..9999).
ComposedDay ComposeDay(int sign, int year, int month, int day);

// The footnote at the sheet's foot, GBK "仅供娱乐", written small (see
// SheetText) between the last two ruled lines, its right end inside the rules.
inline constexpr char kForFunOnly[] = "\xBD\xF6\xB9\xA9\xD3\xE9\xC0\xD6";
inline constexpr int kFootnoteX = 360;
inline constexpr int kFootnoteY = 448;

// The day on the sheet as LayoutHoroscope writes a page: the sign's name,
// "今日运势：" and one ★ for each star at (110, 80), 幸运颜色 at (110, 110), 幸运数字
// at (310, 110), 速配星座 at (110, 140), each sentence a line of the day's text
// in rows from y 170 (two rows each), then the footnote, the one small text.
// The rows end above the footnote.
std::vector<SheetText> LayoutComposedDay(const ComposedDay& day);

} // namespace vemora
