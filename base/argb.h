#pragma once
#include <cstdint>

namespace vemora {

// A colour as GDI+ takes it: alpha in the top byte, then red, green and blue.
using Argb = std::uint32_t;

} // namespace vemora
