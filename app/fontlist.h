#pragma once
#include <string>
#include <vector>

namespace vemora {

// The installed fonts as the settings dialog lists them: the families the
// system reports, sorted without regard to case, repeats dropped, and without
// the vertical-writing variants ("@宋体"), which are of no use for the clock.
// No "Default" entry: it names no family and would stop the clock drawing.
// Names are GBK.
std::vector<std::string> InstalledFontList(std::vector<std::string> families);

} // namespace vemora
