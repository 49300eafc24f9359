#pragma once
#include <cstdint>

namespace vemora {

inline constexpr int kGlowWidth = 230;
inline constexpr int kGlowHeight = 55;
inline constexpr int kClockEmSize = 38;
inline constexpr int kWeatherEmSize = 16;

// The constant alpha the layered window gets: 0..250 as given, anything else 235.
inline std::uint8_t GlowConstantAlpha(int alpha) {
    return static_cast<std::uint8_t>(alpha < 0 || alpha > 250 ? 235 : alpha);
}

} // namespace vemora
