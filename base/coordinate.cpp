#include "base/coordinate.h"

#include <cmath>
#include <cstdio>

namespace vemora {

bool ValidCoordinates(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90 &&
           std::fabs(longitude) <= 180;
}

std::string FormatCoordinate(double degrees) {
    double rounded = std::round(degrees * 10000.0) / 10000.0;
    if (rounded == 0)
        rounded = 0; // never "-0.0000"
    // The C library writes '.' whatever the user's locale: the program never sets one.
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.4f", rounded);
    return buffer;
}

} // namespace vemora
