#pragma once
// The clock's context menu: its items in order, their check marks, and the
// command each runs on the clock.
#include "base/handles_win.h"

namespace vemora {

class ClockWindow;

// The menu's commands. The numbers are what WM_COMMAND carries; automation
// that drives the menu relies on them.
// clang-format off
enum MenuCommand : UINT {
    kMenuTimedAction = 101, kMenuStayOnTop, kMenuExit, kMenuHomePage, kMenuAutostart,
    kMenuSettings, kMenuWeather, kMenuHoroscope, kMenuCalendar,
    kMenuHideFullScreen, kMenuClickThrough, kMenuTrayIcon, kMenuAlarms
};
// clang-format on

class ClockMenu {
public:
    explicit ClockMenu(ClockWindow& clock);

    HMENU Handle() const { return menu_.get(); }
    // The check marks as the clock's state is now.
    void Sync() const;
    // Runs a command; false when the id is none of the menu's.
    bool Run(UINT id) const;

private:
    ClockWindow& clock_;
    UniqueHmenu menu_;
};

} // namespace vemora
