#pragma once
#include <string>
#include <string_view>

namespace vemora {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr const char* kRunValueName = "Vemora";

// The Run value for an executable: its full path in double quotes, so that a
// path with blanks cannot start another program first.
std::string QuotedRunCommand(std::string_view exePath);

// Whether a Run value (quoted or not, possibly with arguments) starts the given
// executable. Paths compare without regard to ASCII case and slash direction.
bool RunCommandNamesExe(std::string_view command, std::string_view exePath);

// The start-up manager switches an entry off by an odd first byte.
bool StartupApprovedDisabled(std::string_view data);
// What the start-up manager writes for an entry it lets start: 2, then zeros.
inline constexpr unsigned char kStartupApprovedEnabled[12] = {2};

} // namespace vemora
