#pragma once
#include "base/platform_win.h"

#include <cstddef>
#include <span>
#include <string>

namespace vemora {

// The full path of the running executable, however long.
std::wstring ModulePath();

// A resource of the running executable as bytes, which live as long as the
// program; no bytes (a null data pointer) when it is missing or cannot be
// loaded.
std::span<const std::byte> ResourceBytes(const wchar_t* name, const wchar_t* type);

// The program's own icon (resource 1) at the system's size for big or small
// icons, shared (never destroyed); the system's application icon when the
// running executable carries none.
HICON ProgramIcon(bool small);

} // namespace vemora
