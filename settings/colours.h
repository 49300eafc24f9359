#pragma once
#include "settings/settings.h"

#include <cstdint>

namespace vemora {

// A colour box gives a 24-bit colour, red in the low byte (0x00BBGGRR); the
// clock takes ARGB with the box's alpha: 80 (0x50) for the start colour, 255
// for the end colour.
inline constexpr std::uint8_t kStartColourAlpha = 0x50;
inline constexpr std::uint8_t kEndColourAlpha = 0xFF;

inline Argb ColourBoxToArgb(std::uint32_t bgr, std::uint8_t alpha) {
    const std::uint32_t red = bgr & 0xFF, green = (bgr >> 8) & 0xFF, blue = (bgr >> 16) & 0xFF;
    return static_cast<Argb>(alpha) << 24 | red << 16 | green << 8 | blue;
}

} // namespace vemora
