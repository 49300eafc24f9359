#pragma once
// The fonts the clock can draw with.
#include "app/clocktick.h"

#include <optional>
#include <string>
#include <vector>

namespace vemora {

// The installed families as the settings dialog lists them (GBK): the
// outline ones, since GDI+ cannot draw a bitmap font.
std::vector<std::string> InstalledFontFamilies();

// The font the clock starts with: the stored one (GBK) when GDI+ can draw it,
// installed or through the system's font replacements; else 微软雅黑, 宋体,
// the system's message font or another family GDI+ can draw, and the stored
// one is then named as missing. An installed bitmap font is no start font:
// GDI+ cannot draw it.
StartFont PickStartFont(const std::optional<std::string>& stored);

} // namespace vemora
