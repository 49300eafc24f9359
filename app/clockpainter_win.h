#pragma once
// What the clock draws: the time in the user's format, the date line under it
// when shown, glowing on the layered window.
#include "app/clockface.h"
#include "app/clocktick.h"
#include "base/datetime.h"
#include "render/glow_win.h"
#include "settings/settings.h"

#include <optional>
#include <string>

namespace vemora {

class ClockPainter {
public:
    // The time's text for now (GBK); the date line is made anew when the day
    // or the Chinese calendar's switch changed.
    std::string Compose(const DateTimeParts& now, const Settings& settings, const TimeFormat& format);
    // Draws the time with the date line under it when the layout has one.
    void Render(HWND window, const std::string& timeText, const Settings& settings, const ClockLayout& layout);

    // The time as last drawn (GBK); empty before the first frame.
    const std::string& LastTimeText() const { return lastTimeText_; }
    // The time as drawn, then the date line when shown.
    std::wstring ShownText(bool showDate) const;
    int DrawCount() const { return drawCount_; }
    const GlowImage& Image() const { return renderer_.Image(); }

private:
    GlowRenderer renderer_;
    std::string lastTimeText_;
    std::string dateLine_; // GBK; empty when none is shown
    struct DateLineDay {
        int year, month, day;
        bool lunar;
        bool operator==(const DateLineDay&) const = default;
    };
    std::optional<DateLineDay> dateLineDay_; // what dateLine_ was made for
    int drawCount_ = 0;
};

} // namespace vemora
