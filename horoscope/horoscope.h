#pragma once
#include "net/regex.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

struct ZodiacSign {
    const char* name;     // GBK
    const char* pageWord; // the provider's word, case as it is
};
extern const ZodiacSign ZodiacSigns[12];

// The full star, "<img src="http://[^"/]*/ast/2007index/tmp/star_php/star\.gif"
// width="18" height="18" />": an image tag on the provider's image host,
// whatever that host, replaced as a whole.
inline constexpr DelimitedPattern kStarTagPattern{
    "<img src=\"http://", "\"/", "/ast/2007index/tmp/star_php/star.gif\" width=\"18\" height=\"18\" />"};
// The day's text, "<div class="lotconts">[^<]*</div>".
inline constexpr DelimitedPattern kDayTextPattern{"<div class=\"lotconts\">", "<", "</div>"};

// What the sheet says, GBK: the star a full-star image becomes (★), the rating
// line's "今日运势：" after the sign's name, the headings 幸运颜色, 幸运数字 and
// 速配星座, and the full-width colon after them.
inline constexpr char kSheetStar[] = "\xA1\xEF";
inline constexpr char kTodayColon[] = "\xBD\xF1\xC8\xD5\xD4\xCB\xCA\xC6\xA3\xBA";
inline constexpr char kHeadingColour[] = "\xD0\xD2\xD4\xCB\xD1\xD5\xC9\xAB";
inline constexpr char kHeadingNumber[] = "\xD0\xD2\xD4\xCB\xCA\xFD\xD7\xD6";
inline constexpr char kHeadingMatch[] = "\xCB\xD9\xC5\xE4\xD0\xC7\xD7\xF9";
inline constexpr char kFullWidthColon[] = "\xA3\xBA";

inline constexpr int kBookSize = 512;

// http://host/iframe/astro/view/<page word>/day/; empty for a sign outside 0..11
// or no host (there is no built-in one: without a host the day is composed).
std::string HoroscopeUrl(std::string_view host, int sign);

// Where text goes on the designed 512 x 512 sheet. The ruled lines run from x 86
// to x 424; text starts at x 110, right of the red margin. The widest step from
// one full-width character to the next in the panel's font (宋体 10 pt bold, or
// the face that stands in for it) is 16 pixels there, as measured under Wine, and
// the text begins about 3 pixels right of its point: a row of 19 characters ends
// by x 417, inside the rules; the 20th character of a longer row would stand
// from x 417 to 433, over the paper's edge at 432.
inline constexpr int kSheetTextLeft = 110;
inline constexpr int kSheetRuledRight = 424;
inline constexpr int kSheetCharAdvance = 16;
inline constexpr int kSheetRowCharacters = (kSheetRuledRight - kSheetTextLeft - 3) / kSheetCharAdvance;
static_assert(kSheetRowCharacters == 19);
// The day's text: its first row's top, and the step from row to row.
inline constexpr int kDayTextTop = 170;
inline constexpr int kSheetRowStep = 30;

// One piece of text on the sheet: GBK text whose top-left corner is at (x, y).
// A small text is a footnote: the panel draws it in a smaller, regular (not
// bold) face of the same family, 8 pt, in grey (0xFF808080), so that it reads as
// an aside; everything else in the sheet's 10 pt bold black.
struct SheetText {
    int x = 0, y = 0;
    std::string text;
    bool small = false;
    bool operator==(const SheetText&) const = default;
};

// What the panel writes on its sheet for a day page: the rating line, the
// lucky colour and number, the best match, and the day's text in rows of 19
// characters from y 170, 30 pixels apart. A page under 100 bytes writes
// nothing; a field that is not on the page leaves its gap. Rows that would
// start at or below bottom are left out.
std::vector<SheetText> LayoutHoroscope(const std::string& page, int sign, int bottom = kBookSize);

// The day's text in rows: one running row counter for all lines, (characters
// div 19) + 1 rows per line, 19 characters per row (a GBK double-byte character
// is one character, as in UTF-16, and so is an ASCII byte), empty lines kept.
// A row never holds more than the 19 characters of a row of Chinese text, so it
// stays inside the ruled lines; nothing of a line is left out. Stops before the
// first row at or below bottom.
std::vector<SheetText> LayoutDayText(std::string_view text, int bottom = kBookSize);

// All the sheet says as one GBK text, for the panel's window text: one line
// (ended by "\r\n", the last one not) for each height on the sheet from the top,
// texts at the same height joined by two spaces from left to right. The rating
// line comes first; a wrapped line of the day's text is one line per row, as
// drawn.
std::string SheetWindowText(const std::vector<SheetText>& texts);

// The first match of the pattern made of opening, taken literally, followed by
// ".+?</p>": the shortest run of at least one byte up to "</p>" on the
// opening's line. The opening holds no line break. Reads every byte of the page
// a bounded number of times.
std::optional<std::string_view> FindParagraph(std::string_view page, std::string_view opening);

} // namespace vemora
