#include "base/gbk.h"

namespace vemora {

std::size_t GbkCharLength(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && IsGbkLeadByte(static_cast<unsigned char>(text[at])) &&
                   IsGbkTrailByte(static_cast<unsigned char>(text[at + 1]))
               ? 2
               : 1;
}

std::string CutGbk(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t step = GbkCharLength(text, end);
        if (end + step > maxBytes)
            break;
        end += step;
    }
    return std::string(text.substr(0, end));
}

// The length of the well-formed UTF-8 sequence at text[at], or 0: no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b = byte(at);
    if (b < 0x80)
        return 1;
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + n > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return n;
}

} // namespace vemora
