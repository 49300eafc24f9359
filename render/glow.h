#pragma once
#include "base/dpi.h"

#include <cstddef>
#include <cstdint>

namespace vemora {

inline constexpr int kGlowWidth = 230;
inline constexpr int kGlowHeight = 55;
inline constexpr int kClockEmSize = 38;
inline constexpr int kWeatherEmSize = 16;
// The glow's pens at 96 pixels per inch: a mitred outline, then round halo
// strokes from 1 pixel wide up to the widest. The painting and the cached
// renderer's reach of a glyph's halo both read these.
inline constexpr float kGlowOutlineWidth = 3.0f;
inline constexpr int kGlowWidestHalo = 8;

// Characters drawn beyond those that GDI measures to fit into the image.
inline constexpr std::size_t kGlowCharacterMargin = 8;

// The constant alpha the layered window gets: 0..250 as given, anything else 235.
inline std::uint8_t GlowConstantAlpha(int alpha) {
    return static_cast<std::uint8_t>(alpha < 0 || alpha > 250 ? 235 : alpha);
}

} // namespace vemora
