#pragma once
// The windows beside the clock, for the clock window's own files.
#include "app/clockwindow_win.h"
#include "app/settingsdialog_win.h"
#include "calendar/calpopup_win.h"
#include "weather/weatherfeed_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "power/shutdowndlg_win.h"

namespace vemora {

// The dialogs are owned by the application window, as the companions are,
// and run modal over the clock: windows owned by the clock would follow it
// into the topmost band and, under Wine, keep it from going back there. Each
// gets the values it shows and a way to hand back what the user changed.
struct ClockWindow::Companions {
    SettingsDialog settings;
    TimedActionDialog timedAction;
    WeatherFeed weather;
    HoroscopePanel horoscope;
    CalendarPopup calendar;

    explicit Companions(ClockWindow& clock)
        : settings(clock.appWindow_.get(), clock.hwnd_, clock, clock.reporter_),
          timedAction(
              clock.appWindow_.get(), clock.hwnd_, clock.reporter_, [&clock] { return clock.Now(); },
              [&clock] { return clock.run_.armed; },
              [&clock](std::optional<ScheduledActionState> action) { clock.SetArmedAction(action); }),
          weather(clock.appWindow_.get(), clock, clock.reporter_, clock.Log(),
                  WeatherFeedOptions{
                      clock.options_.settingsPath, clock.options_.unixClock, clock.options_.resumeRefreshDelayMs, {}}),
          horoscope(
              clock.appWindow_.get(), clock.reporter_,
              [&clock] {
                  return HoroscopeChoice{clock.settings_.sign, clock.settings_.horoscopeHost,
                                         clock.settings_.transparency};
              },
              [&clock] { return clock.Now(); }, clock.log_),
          calendar(clock.appWindow_.get(), clock.reporter_, clock.uxTheme_, [&clock] { return clock.Now(); }) {}
};

} // namespace vemora
