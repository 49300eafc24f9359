#include "app/companions_win.h"

#include "app/desktop_win.h"
#include "base/dpi_win.h"

#include <algorithm>

namespace vemora {

namespace {

PixelRect RectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

Companions::Companions(const CompanionsContext& c)
    : settings(c.owner, c.clock, c.settingsHost, c.reporter),
      timedAction(c.owner, c.clock, c.reporter, c.now, c.armed, c.arm),
      weather(c.owner, c.weatherHost, c.reporter, *c.log, c.weatherOptions),
      horoscope(c.owner, c.reporter, c.horoscope, c.now, c.log), calendar(c.owner, c.reporter, c.theme, c.now),
      clock_(c.clock) {}

void Companions::Place(Companion which, int dpi) {
    HWND companion = which == Companion::WeatherStrip ? weather.Strip().Handle()
                     : which == Companion::Calendar   ? calendar.Handle()
                                                      : horoscope.Handle();
    const PixelRect clock = RectOf(clock_);
    const PixelRect own = RectOf(companion);
    const int width = own.Width(), height = own.Height();
    if (which != Companion::Horoscope) {
        const ScreenPoint at = CompanionPlace(which, clock, width, GetSystemMetrics(SM_CXSCREEN), dpi);
        MoveWindow(companion, at.x, at.y, width, height, TRUE);
        return;
    }
    // The panel's sheet stays whole on the work area of the clock's monitor;
    // the picture's transparent margins may hang past it.
    const PixelRect work = WorkAreaOf(clock_);
    const PixelRect margins = ScaleRectForDpi(kSheetMargins, dpi);
    ScreenPoint at = CompanionPlace(which, clock, width, work.right, dpi);
    // Under the weather strip, not over its text.
    if (weather.Strip().Showing())
        at.y = std::max<int>(at.y, RectOf(weather.Strip().Handle()).bottom - margins.top);
    at = KeepInside(at, width, height,
                    PixelRect{work.left - margins.left, work.top - margins.top, work.right + margins.right,
                              work.bottom + margins.bottom});
    if (calendar.Showing())
        at = AvoidCovering(at, width, height, RectOf(calendar.Handle()), clock,
                           {work.left - margins.left, work.top, work.right + margins.right, work.bottom});
    MoveWindow(companion, at.x, at.y, width, height, TRUE);
}

void Companions::ShowCalendar(bool lunar, BYTE alpha, int dpi) {
    HWND popup = calendar.Handle();
    SetLayeredWindowAttributes(popup, 0, alpha, LWA_ALPHA);
    Place(Companion::Calendar, dpi);
    const PixelRect work = WorkAreaOf(clock_);
    if (lunar) {
        // The lunar month with its almanac is wider and taller than the
        // clock's companions: at the edges of the work area it moves as far as
        // it must to stay whole.
        const PixelRect own = RectOf(popup);
        const ScreenPoint at = KeepInside({own.left, own.top}, own.Width(), own.Height(), work);
        if (at.x != own.left || at.y != own.top)
            MoveWindow(popup, at.x, at.y, own.Width(), own.Height(), TRUE);
    }
    // Beside the horoscope's sheet when that stands where the pop-up would.
    if (horoscope.Showing()) {
        const PixelRect own = RectOf(popup);
        const PixelRect panel = RectOf(horoscope.Handle());
        const PixelRect margins = ScaleRectForDpi(kSheetMargins, dpi);
        const ScreenPoint at = AvoidCovering({own.left, own.top}, own.Width(), own.Height(),
                                             {panel.left + margins.left, panel.top + margins.top,
                                              panel.right - margins.right, panel.bottom - margins.bottom},
                                             RectOf(clock_), work);
        MoveWindow(popup, at.x, at.y, own.Width(), own.Height(), TRUE);
    }
    calendar.Show();
}

void Companions::ShowHoroscope(int dpi) {
    if (horoscope.Showing())
        horoscope.Close();
    Sleep(50);
    horoscope.Show();
    Place(Companion::Horoscope, dpi);
}

} // namespace vemora
