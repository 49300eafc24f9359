#pragma once
#include "base/dpi.h"

#include <string_view>

namespace vemora {

// What the shell says about the user's session, as SHQueryUserNotificationState
// reports it; Unknown where the call is missing or fails.
enum class ShellBusyState { Unknown, Free, Busy, FullScreenDirect3D, Presentation };

// The window in front, as the clock's full-screen check sees it.
struct ForegroundWindow {
    bool exists = false;
    bool ours = false;           // one of the program's own windows
    std::wstring_view className; // its window class
    PixelRect bounds;            // its window rectangle
    bool framed = false;         // it has a caption or a sizing frame: a maximised window, not a full-screen one
};

// Whether the clock steps aside for a full-screen program: the window in
// front covers the whole monitor the clock stands on, has neither caption nor
// sizing frame (a maximised window covers a monitor without a taskbar too,
// its frame even hanging over the edges) and is neither the
// desktop (Progman, WorkerW, the system's #32769), the taskbar nor one of ours; or the shell says a full-screen
// program, a Direct3D game or a presentation runs.
bool FullScreenInFront(const ForegroundWindow& front, const PixelRect& clockMonitor, ShellBusyState shell);

} // namespace vemora
