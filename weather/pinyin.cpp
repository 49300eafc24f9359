#include "weather/pinyin.h"

#include "base/gbk.h"

namespace vemora {

// Row 0xA2 of GBK, column by column from 0xA1: the digits each number form reads as.
// clang-format off
const char* const NumberFormTable[94] = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",                 // 0xA1-0xAA: small Roman i to x
    "", "", "", "", "", "",                                             // 0xAB-0xB0: unassigned
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",                 // 0xB1-0xC4: 1. to 20.
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",                 // 0xC5-0xD8: (1) to (20)
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",                 // 0xD9-0xE2: circled 1 to 10
    "", "",                                                             // 0xE3-0xE4
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",                 // 0xE5-0xEE: (one) to (ten)
    "", "",                                                             // 0xEF-0xF0
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",     // 0xF1-0xFC: Roman I to XII
    "", "",                                                             // 0xFD-0xFE
};
// clang-format on

const char* const GreekLetterTable[24] = {"a", "b", "g", "d", "e", "z", "e", "th", "i",  "k",  "l",  "m",
                                          "n", "x", "o", "p", "r", "s", "t", "u",  "ph", "kh", "ps", "o"};

namespace {

bool IsAsciiLetterOrDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether TextToPinyin reads the bytes at p as one two-byte character: a first
// byte from 0x81 and a second from 0x40. Wider than the GBK rule on purpose:
// a pair with 0x7F or 0xFF is one character without a reading, not two bytes.
bool PinyinPairAt(std::string_view text, size_t p) {
    return static_cast<unsigned char>(text[p]) >= 0x81 && p + 1 < text.size() &&
           static_cast<unsigned char>(text[p + 1]) >= 0x40;
}

// The reading of a two-byte character, or nullptr when it has none. Lead or
// trail byte 0xFF lies outside the table: such a pair has no reading either.
const char* Syllable(unsigned char lead, unsigned char trail) {
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE)
        return nullptr;
    const std::uint16_t s = PinyinIndexTable[(lead - 0x81) * 191 + (trail - 0x40)];
    return s == 0 || s > kPinyinSyllableCount ? nullptr : PinyinSyllableTable[s];
}

} // namespace

std::string TextToPinyin(std::string_view text, int flags, int maximumLength) {
    std::string result;
    if (flags < 0 || maximumLength <= 0)
        return result;
    const bool whole = flags & kPinyinWholeSyllables;
    const bool markUnknown = flags & kPinyinMarkUnknown;
    const bool keepAll = flags & kPinyinKeepAll;
    size_t p = 0;
    while (p < text.size()) {
        const auto b1 = static_cast<unsigned char>(text[p]);
        if (!PinyinPairAt(text, p)) {
            if (keepAll || IsAsciiLetterOrDigit(b1))
                result += Upper(static_cast<char>(b1));
            ++p;
            continue;
        }
        const auto b2 = static_cast<unsigned char>(text[p + 1]);
        std::string piece;
        bool unknown = false;
        if (b1 == 0xA2) {
            if (b2 > 0xA0 && b2 <= 0xFE)
                piece = NumberFormTable[b2 - 0xA1];
            else
                unknown = true;
        } else if (b1 == 0xA3) {
            const auto c = static_cast<unsigned char>((b2 - 0x80) % 256);
            if (keepAll || IsAsciiLetterOrDigit(c))
                piece = std::string(1, static_cast<char>(c));
        } else if (b1 == 0xA6) {
            int position = -1;
            if (b2 >= 0xA1 && b2 <= 0xB8)
                position = b2 - 0xA1;
            else if (b2 >= 0xC1 && b2 <= 0xD8)
                position = b2 - 0xC1;
            if (position < 0) {
                unknown = true;
            } else {
                for (const char* c = GreekLetterTable[position]; *c; ++c)
                    piece += Upper(*c);
            }
        } else if (const char* syllable = Syllable(b1, b2)) {
            for (const char* c = syllable; *c && (whole || c == syllable); ++c)
                piece += Upper(*c);
        } else {
            unknown = true;
        }
        if (unknown && markUnknown)
            piece = "?";
        result += piece;
        p += 2;
    }
    if (result.size() > static_cast<size_t>(maximumLength))
        result.resize(static_cast<size_t>(maximumLength));
    return result;
}

namespace {

std::string_view PlaceNameAt(int i) {
    const PlaceName& e = PlaceNameTable[i];
    return {PlaceNameText + e.offset, e.nameLength};
}

// The longest place name the text starts with, or -1. The largest name not
// above the text either starts it or shares a prefix with it, and every shorter
// name that starts the text also starts that common prefix: so search again
// below the common prefix until a name matches or none can.
int LongestPlaceName(std::string_view text) {
    const auto below = [](std::string_view probe) {
        int low = 0, high = kPlaceNameCount; // first name above probe
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (probe < PlaceNameAt(middle))
                high = middle;
            else
                low = middle + 1;
        }
        return low - 1;
    };
    std::string_view probe = text;
    while (probe.size() >= 4) { // every name has two characters or more
        const int i = below(probe);
        if (i < 0)
            return -1;
        const std::string_view name = PlaceNameAt(i);
        size_t common = 0;
        while (common < name.size() && common < probe.size() && name[common] == probe[common])
            ++common;
        if (common == name.size())
            return i;
        probe = probe.substr(0, common);
    }
    return -1;
}

} // namespace

std::string CityToPinyin(std::string_view cityGbk) {
    constexpr size_t kMaximum = 20;
    // Remove every 市 (0xCA 0xD0) as a whole character, never from the middle of two others.
    std::string city;
    for (size_t p = 0; p < cityGbk.size();) {
        const size_t step = GbkCharLength(cityGbk, p);
        if (step == 2 && cityGbk.substr(p, 2) == "\xCA\xD0") {
            p += 2;
            continue;
        }
        city.append(cityGbk.substr(p, step));
        p += step;
    }
    // Walk the characters as TextToPinyin does; a place name may start at any
    // two-byte character, and the text between names goes to TextToPinyin.
    const std::string_view text = city;
    std::string result;
    size_t unread = 0;
    for (size_t p = 0; p < text.size() && result.size() < kMaximum;) {
        if (!PinyinPairAt(text, p)) {
            ++p;
            continue;
        }
        const int place = LongestPlaceName(text.substr(p));
        if (place < 0) {
            p += 2;
            continue;
        }
        const PlaceName& e = PlaceNameTable[place];
        result += TextToPinyin(text.substr(unread, p - unread), kPinyinWholeSyllables, kMaximum);
        result.append(PlaceNameText + e.offset + e.nameLength, e.readingLength);
        p += e.nameLength;
        unread = p;
    }
    if (unread < text.size() && result.size() < kMaximum)
        result += TextToPinyin(text.substr(unread), kPinyinWholeSyllables, kMaximum);
    if (result.size() > kMaximum)
        result.resize(kMaximum);
    return result;
}

bool CityNameUnreadable(std::string_view cityGbk) {
    bool named = false;
    for (size_t p = 0; p < cityGbk.size() && !named;) {
        const size_t step = GbkCharLength(cityGbk, p);
        const std::string_view c = cityGbk.substr(p, step);
        named = c != "\xCA\xD0" && c != " " && c != "\t" && c != "\r" && c != "\n";
        p += step;
    }
    return named && CityToPinyin(cityGbk).empty();
}

} // namespace vemora
