#pragma once
#include "base/files_win.h"
#include "base/handles_win.h"
#include "weather/forecast.h"

#include <optional>
#include <string>

namespace vemora {

// "host:port" of a service, for messages.
std::string ServiceHostText(const ServiceBase& base);

// The width of UTF-8 text in pixels in a font family (GBK name) at an em size,
// as GDI measures it; FitLine's measurement for the weather strip.
class TextMeasure {
public:
    TextMeasure(const std::string& fontName, int emSize);
    int Width(std::string_view utf8) const;

private:
    UniqueHdc dc_;
    UniqueHfont font_;
    std::optional<ScopedSelectObject> select_;
};

} // namespace vemora
