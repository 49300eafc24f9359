#include "power/power_win.h"

#include "base/handles_win.h"

namespace vemora {

bool IsWin9xPlatform() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info; // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool SetShutdownPrivilege(bool enable) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return false;
    UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES request{};
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &request.Privileges[0].Luid))
        return false;
    request.PrivilegeCount = 1;
    request.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    return AdjustTokenPrivileges(token.get(), FALSE, &request, sizeof request, &previous, &returned) != 0;
}

void ShutdownComputer(Effects& effects) {
    if (!IsWin9xPlatform())
        SetShutdownPrivilege(true); // stays enabled: the system is going down
    effects.ExitSystem(kShutdownFlags, 0);
}

void RebootComputer(Effects& effects) {
    const bool nt = !IsWin9xPlatform();
    if (nt)
        SetShutdownPrivilege(true);
    effects.ExitSystem(kRebootFlags, 0);
    if (nt)
        SetShutdownPrivilege(false);
}

} // namespace vemora
