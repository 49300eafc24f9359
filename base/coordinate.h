#pragma once
#include <string>

namespace vemora {

// Coordinates in decimal degrees: finite, the latitude within 90, the longitude within 180.
bool ValidCoordinates(double latitude, double longitude);

// Four decimals, '.', whatever the locale: "28.2282", "-0.1278". The one form
// of a coordinate, in the settings file, the forecast's address and its kept copy.
std::string FormatCoordinate(double degrees);

} // namespace vemora
