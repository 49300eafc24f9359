#pragma once
#include <string>
#include <vector>

namespace vemora {

// The installed fonts as the settings dialog lists them: "Default" and the
// families the system reports, sorted without regard to case, repeats dropped,
// and without the vertical-writing variants ("@宋体"), which are of no use
// for the clock. Names are GBK.
std::vector<std::string> InstalledFontList(std::vector<std::string> families);

// The clock's font once the fonts are known: 微软雅黑 whenever it is installed
// (exact name), whatever was stored; otherwise the stored font.
std::string PreferredClockFont(const std::vector<std::string>& installed, const std::string& stored);

} // namespace vemora
