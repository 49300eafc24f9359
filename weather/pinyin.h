#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vemora {

inline constexpr int kPinyinIndexSize = 126 * 191;
// Syllable number of each two-byte GBK code, lead byte 0x81..0xFE by trail byte
// 0x40..0xFE, row-major; 0 = no reading.
extern const std::uint16_t PinyinIndexTable[kPinyinIndexSize];
// Toneless syllables by number (entry 0 is empty); u-umlaut written v.
extern const char PinyinSyllableTable[][7];
extern const int kPinyinSyllableCount;
extern const char* const NumberFormTable[94];
extern const char* const GreekLetterTable[24];

// Chinese place names with their readings as the people who live there say
// them. Entry i is the name's GBK bytes at PlaceNameText + offset followed by
// its upper-case reading; the entries are sorted by the names' bytes.
struct PlaceName {
    std::uint32_t offset;
    std::uint8_t nameLength;
    std::uint8_t readingLength;
};
extern const char PlaceNameText[];
extern const PlaceName PlaceNameTable[];
extern const int kPlaceNameCount;

enum PinyinFlags : int {
    kPinyinWholeSyllables = 1, // else the first letter of each syllable
    kPinyinMarkUnknown = 2,    // an unknown character gives "?"
    kPinyinKeepAll = 4,        // keep every single-byte and full-width character
};

// GBK text to upper-case pinyin. A negative flags value or a maximum length of
// 0 or less gives an empty result; the result is cut to maximumLength bytes.
std::string TextToPinyin(std::string_view text, int flags, int maximumLength);

// What the city boxes do with their answer: every 市 removed, then the longest
// place name at each position read as a place, anything else as TextToPinyin
// reads it with flags 1; at most 20 bytes.
std::string CityToPinyin(std::string_view cityGbk);
// Whether the user named something (more than blanks and 市) of which
// CityToPinyin can make no reading: emoji, punctuation, a foreign script.
bool CityNameUnreadable(std::string_view cityGbk);

} // namespace vemora
