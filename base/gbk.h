#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vemora {

// GBK's double-byte characters: a lead byte 0x81..0xFE followed by a trail
// byte 0x40..0x7E or 0x80..0xFE. Anything else is one byte on its own, so a
// stray lead byte never swallows the ASCII byte after it.
constexpr bool IsGbkLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
constexpr bool IsGbkTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// The length in bytes (1 or 2) of the character that starts at text[at].
std::size_t GbkCharLength(std::string_view text, std::size_t at);

// The text cut to at most maxBytes bytes between whole characters, as the
// encoding's charLength measures them.
std::string CutBetweenCharacters(std::string_view text, std::size_t maxBytes,
                                 std::size_t (*charLength)(std::string_view, std::size_t));

// The text cut to at most maxBytes bytes without splitting a double-byte character.
std::string CutGbk(std::string_view text, std::size_t maxBytes);

} // namespace vemora
