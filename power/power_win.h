#pragma once
#include "base/effects_win.h"

namespace vemora {

bool IsWin9xPlatform();
// Enables or disables SeShutdownPrivilege in the process token; true when the
// adjustment call succeeded.
bool SetShutdownPrivilege(bool enable);
// Forced shutdown (flags 5) and restart (flags 6). ExitWindowsEx goes through
// the effects, so that tests record the flags instead.
void ShutdownComputer(Effects& effects);
void RebootComputer(Effects& effects);

inline constexpr UINT kShutdownFlags = EWX_SHUTDOWN | EWX_FORCE; // 5
inline constexpr UINT kRebootFlags = EWX_REBOOT | EWX_FORCE;     // 6

} // namespace vemora
