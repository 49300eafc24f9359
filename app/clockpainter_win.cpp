#include "app/clockpainter_win.h"

#include "base/text_win.h"

namespace vemora {

std::string ClockPainter::Compose(const DateTimeParts& now, const Settings& settings, const TimeFormat& format) {
    if (!settings.showDate) {
        dateLine_.clear();
        dateLineDay_.reset();
    } else if (const DateLineDay day{now.year, now.month, now.day, settings.lunar}; dateLineDay_ != day) {
        dateLine_ = DateLineText(now.year, now.month, now.day, settings.lunar,
                                 [](std::string_view utf8) { return WideToGbk(Utf8ToWide(utf8)); });
        dateLineDay_ = day;
    }
    const ClockFace face{settings.showSeconds, settings.hour12, settings.showDate, settings.scale};
    return FormatTimeText(ClockTimeFormat(format, face), now.hour, now.minute, now.second);
}

void ClockPainter::Render(HWND window, const std::string& timeText, const Settings& settings,
                          const ClockLayout& layout) {
    GlowFrame frame;
    frame.width = layout.width;
    frame.height = layout.height;
    frame.firstHeight = layout.timeHeight;
    if (layout.dateEmSize > 0) {
        frame.second = GbkToWide(dateLine_);
        frame.secondEmSize = layout.dateEmSize;
        frame.secondOrigin = {layout.dateOriginX, layout.dateOriginY};
    }
    renderer_.Render(window, GbkToWide(timeText), frame, settings.font, layout.timeEmSize, settings.startColour,
                     settings.endColour, settings.transparency, layout.dpi);
    lastTimeText_ = timeText;
    ++drawCount_;
}

std::wstring ClockPainter::ShownText(bool showDate) const {
    return GbkToWide(ClockWindowText(lastTimeText_, showDate ? dateLine_ : std::string()));
}

} // namespace vemora
