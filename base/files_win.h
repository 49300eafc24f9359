#pragma once
// Small files the program keeps beside its settings (the last forecast, the
// fetched holiday schedules), read and written whole.
#include "base/platform_win.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vemora {

// Replaces a file with new contents: written beside it first, then moved over
// it, so that a reader never finds half of it. False when it could not be.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);
// The whole file, or nothing when it cannot be read or exceeds maxBytes.
std::optional<std::string> ReadWholeFile(const std::wstring& path, std::size_t maxBytes);
// This install's own number, for the minutes its refreshes keep: from the
// settings file's full path, which differs from one install to the next and
// stays while it stays.
std::uint64_t InstallSeed(const std::wstring& settingsPath);

} // namespace vemora
