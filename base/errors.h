#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace vemora {

// The application's title: the executable's file name up to its first ".",
// every character after the first in lower case ("VEMORA.EXE" gives "Vemora").
std::string ApplicationTitle(std::string_view exeFileName);

// The name of a GDI+ status value, "<UnKnown>" beyond the named ones.
std::string GdiplusStatusName(int status);

} // namespace vemora
