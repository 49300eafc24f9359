#pragma once
// The windows beside the clock: the settings and timed-action dialogs, the
// weather strip with its feed, the horoscope panel and the calendar pop-up,
// made together once the clock exists, and where each stands by the clock.
#include "app/placement.h"
#include "app/settingsdialog_win.h"
#include "base/uxtheme_win.h"
#include "calendar/calendarpopup_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "power/timedactiondialog_win.h"
#include "weather/weatherfeed_win.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vemora {

// What the companions are given: their owner and the clock, and the ways to
// read the clock's values and hand back what the user changed.
struct CompanionsContext {
    HWND owner; // the application window
    HWND clock;
    ErrorReporter& reporter;
    std::shared_ptr<EventLog> log;
    const UxTheme& theme;
    SettingsDialogHost& settingsHost;
    WeatherFeedHost& weatherHost;
    WeatherFeedOptions weatherOptions;
    std::function<DateTimeParts()> now;
    std::function<HoroscopeChoice()> horoscope;
    std::function<bool()> armed;
    std::function<void(std::optional<ScheduledActionState>)> arm;
};

// The dialogs are owned by the application window, as the companions are,
// and run modal over the clock: windows owned by the clock would follow it
// into the topmost band and, under Wine, keep it from going back there.
class Companions {
public:
    explicit Companions(const CompanionsContext& context);

    SettingsDialog settings;
    TimedActionDialog timedAction;
    WeatherFeed weather;
    HoroscopePanel horoscope;
    CalendarPopup calendar;

    // Moves a companion, keeping its size, to its place by the clock at the
    // clock's resolution.
    void Place(Companion which, int dpi);
    // The pop-up at its place, at the given alpha, beside the horoscope's sheet
    // when that stands where it would; `lunar`: wider and taller, kept whole
    // on the work area.
    void ShowCalendar(bool lunar, BYTE alpha, int dpi);
    // The panel afresh (it fetches and draws and reports its own failure), placed.
    void ShowHoroscope(int dpi);
    // The clock's windows that hide with it: the strip, the panel, the pop-up.
    std::vector<HWND> Windows() { return {weather.Strip().Handle(), horoscope.Handle(), calendar.Handle()}; }

private:
    HWND clock_;
};

} // namespace vemora
