#pragma once
// Where the clock stands: at the top right of the primary monitor or where
// the user left it, kept on a monitor through display changes, at its
// monitor's resolution, and refitted on the work area when its face changes size.
#include "app/placement.h"
#include "base/platform_win.h"

#include <optional>

namespace vemora {

class ClockPlacement {
public:
    // The clock's window, just made.
    void Attach(HWND clock);
    // The resolution of the clock's monitor.
    int Dpi() const { return dpi_; }
    // A clock once dragged starts where the user left it (`stored`) while it
    // can be seen there; a clock never dragged starts at the top right.
    void PlaceAtStart(std::optional<ScreenPoint> stored, const ClockFace& face);
    // A change of monitors that leaves the clock on none of them brings it
    // back to the top right of the primary one: true then.
    bool DisplayChanged(const ClockFace& face);
    // The clock went to a monitor of another resolution: at the system's
    // rectangle, refitted (the suggestion scales the old size, which rounds).
    void DpiChanged(int dpi, LPARAM suggested, const ClockFace& face, bool dragged);
    // A clock that grows or shrinks stays on its monitor's work area: a clock
    // never dragged keeps its top right corner, a dragged one its nearest corner.
    void Fit(const ClockFace& face, bool dragged);
    // The system's move loop starts or ends.
    void MoveLoop(bool entered) { inMoveLoop_ = entered; }
    // Where the user dragged the clock, to be kept: moves made in the system's
    // move loop or while the clock holds the mouse are the user's, whichever of
    // the two the drag uses; the program's own moves (placing, shaking) are not.
    std::optional<ScreenPoint> MovedByUser(const WINDOWPOS& position) const;

private:
    void MoveTo(const ClockPlace& place, const ClockFace& face);

    HWND clock_ = nullptr;
    int dpi_ = kDesignDpi;
    bool inMoveLoop_ = false;
};

} // namespace vemora
