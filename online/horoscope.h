#pragma once
#include "online/regex.h"

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

inline constexpr const char* kDefaultXingzuoHost = "astro.vemora.app";
inline constexpr int kBookSize = 512;

// http://host/iframe/astro/view/<page word>/day/; empty for a sign outside 0..11.
std::string HoroscopeUrl(std::string_view host, int sign);

// One piece of text on the sheet: GBK text whose top-left corner is at (x, y).
struct SheetText {
    int x = 0, y = 0;
    std::string text;
    bool operator==(const SheetText&) const = default;
};

// What the panel writes on its sheet for a day page: the rating line, the
// lucky colour and number, the best match, and the day's text in rows of 20
// characters from y 170, 30 pixels apart. A page under 100 bytes writes
// nothing; a field that is not on the page leaves its gap. Rows that would
// start at or below bottom are left out.
std::vector<SheetText> LayoutHoroscope(const std::string& page, int sign, int bottom = kBookSize);

// The day's text in rows: one running row counter for all lines, (characters
// div 20) + 1 rows per line, 20 characters per row (a GBK double-byte character
// is one character, as in UTF-16, and so is an ASCII byte), empty lines kept.
// A row never holds more than the 20 characters of a row of Chinese text, so it
// reaches no further right than one; nothing of a line is left out. Stops
// before the first row at or below bottom.
std::vector<SheetText> LayoutDayText(std::string_view text, int bottom = kBookSize);

// The first match of the pattern made of opening, taken literally, followed by
// ".+?</p>": the shortest run of at least one byte up to "</p>" on the
// opening's line. The opening holds no line break. Reads every byte of the page
// a bounded number of times.
std::optional<std::string_view> FindParagraph(std::string_view page, std::string_view opening);

} // namespace vemora
