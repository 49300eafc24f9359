#pragma once
// The windows beside the clock, for the clock window's own files.
#include "app/clockmain_win.h"
#include "app/setup_win.h"
#include "calendar/calpopup_win.h"
#include "online/weather_win.h"
#include "online/xingzuo_win.h"
#include "power/shutdowndlg_win.h"

namespace vemora {

// The dialogs are owned by the application window, as the companions are,
// and run modal over the clock: windows owned by the clock would follow it
// into the topmost band and, under Wine, keep it from going back there. Each
// gets the values it shows and a way to hand back what the user changed.
struct ClockWindow::Companions {
    SettingsDialog settings;
    TimedActionDialog timedAction;
    WeatherStrip weather;
    HoroscopePanel horoscope;
    CalendarPopup calendar;

    explicit Companions(ClockWindow& clock)
        : settings(clock.appWindow_.get(), clock.hwnd_, clock, clock.reporter_),
          timedAction(
              clock.appWindow_.get(), clock.hwnd_, clock.reporter_, [&clock] { return clock.Now(); },
              [&clock] { return clock.run_.armed; },
              [&clock](std::optional<ScheduledActionState> action) { clock.SetArmedAction(action); }),
          weather(clock.appWindow_.get(), clock.reporter_,
                  [&clock](const std::string& city) {
                      clock.settings_.city = city;
                      clock.ShowWeather();
                  }),
          horoscope(
              clock.appWindow_.get(), clock.reporter_,
              [&clock] {
                  return HoroscopeChoice{clock.settings_.sign, clock.settings_.horoscopeHost,
                                         clock.settings_.transparency};
              },
              [&clock] { return clock.Now(); }),
          calendar(clock.appWindow_.get(), clock.reporter_, clock.uxTheme_, [&clock] { return clock.Now(); }) {}
};

} // namespace vemora
