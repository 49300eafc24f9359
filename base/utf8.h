#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vemora {

// The length (1..4) of the well-formed UTF-8 sequence at text[at], or 0: no
// overlong forms, no surrogates, nothing beyond U+10FFFF, no sequence cut off
// by the end of the text.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// The length in bytes of the character that starts at text[at]: 1 for ASCII
// and for a byte that starts no well-formed sequence, so that walking a text
// character by character always moves on.
std::size_t Utf8CharLength(std::string_view text, std::size_t at);

// The code point of the well-formed character at text[at] (U+FFFD for a stray byte).
char32_t Utf8CodePoint(std::string_view text, std::size_t at);

void AppendUtf8(std::string& out, char32_t c);

// The text cut to at most maxBytes bytes without splitting a character.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// Text from outside as one line: control characters become blanks, and it is
// cut to maxBytes between characters.
std::string Utf8OneLine(std::string_view text, std::size_t maxBytes);

} // namespace vemora
