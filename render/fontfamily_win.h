#pragma once
// Font families GDI+ can draw with.
#include "base/platform_win.h"

#include <memory>
#include <string>
#include <vector>

namespace vemora {

// The outline families that offer glyphs of that character set, in the
// system's order; vertical (@) families and bitmap fonts, which GDI+ cannot
// draw, left out, and symbol fonts unless asked for.
std::vector<std::wstring> OutlineFontFamilies(BYTE charset, bool symbolFonts);

// Whether GDI+ makes the family: installed as an outline font, or reached
// through the system's font replacements.
bool CanDrawWith(const std::wstring& family);

// A family GDI+ can draw with whatever the system lacks: the first installed
// family with Chinese glyphs, else GDI+'s own sans serif, else the first
// installed family that is no symbol font; empty only on a system without
// such fonts. A Wine prefix without Arial or the Liberation fonts has no
// generic sans serif, and a fresh one has neither 宋体 nor 微软雅黑.
std::wstring FallbackFontFamily();

// The named family, or the fallback when GDI+ cannot make it. Throws when
// neither can be made.
std::unique_ptr<Gdiplus::FontFamily> FontFamilyOrFallback(const std::wstring& family);

} // namespace vemora
