#pragma once
// The fonts the clock can draw with.
#include "app/clocktick.h"

#include <optional>
#include <string>
#include <vector>

namespace vemora {

// The installed families as the settings dialog lists them (GBK).
std::vector<std::string> InstalledFontFamilies();

// The font the clock starts with: the stored one (GBK) when GDI+ can draw it,
// installed or through the system's font replacements, which the list of
// installed families does not show; else 微软雅黑, 宋体 or the system's
// message font, and the stored one is then named as missing.
StartFont PickStartFont(const std::optional<std::string>& stored, const std::vector<std::string>& installed);

} // namespace vemora
