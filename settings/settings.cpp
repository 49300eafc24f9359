#include "settings/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>
#include <variant>

namespace vemora {

const NamedColor NamedColors[141] = {
    {"aclAliceBlue", 0xFFF0F8FF},
    {"aclAntiqueWhite", 0xFFFAEBD7},
    {"aclAqua", 0xFF00FFFF},
    {"aclAquamarine", 0xFF7FFFD4},
    {"aclAzure", 0xFFF0FFFF},
    {"aclBeige", 0xFFF5F5DC},
    {"aclBisque", 0xFFFFE4C4},
    {"aclBlack", 0xFF000000},
    {"aclBlanchedAlmond", 0xFFFFEBCD},
    {"aclBlue", 0xFF0000FF},
    {"aclBlueViolet", 0xFF8A2BE2},
    {"aclBrown", 0xFFA52A2A},
    {"aclBurlyWood", 0xFFDEB887},
    {"aclCadetBlue", 0xFF5F9EA0},
    {"aclChartreuse", 0xFF7FFF00},
    {"aclChocolate", 0xFFD2691E},
    {"aclCoral", 0xFFFF7F50},
    {"aclCornflowerBlue", 0xFF6495ED},
    {"aclCornsilk", 0xFFFFF8DC},
    {"aclCrimson", 0xFFDC143C},
    {"aclCyan", 0xFF00FFFF},
    {"aclDarkBlue", 0xFF00008B},
    {"aclDarkCyan", 0xFF008B8B},
    {"aclDarkGoldenrod", 0xFFB8860B},
    {"aclDarkGray", 0xFFA9A9A9},
    {"aclDarkGreen", 0xFF006400},
    {"aclDarkKhaki", 0xFFBDB76B},
    {"aclDarkMagenta", 0xFF8B008B},
    {"aclDarkOliveGreen", 0xFF556B2F},
    {"aclDarkOrange", 0xFFFF8C00},
    {"aclDarkOrchid", 0xFF9932CC},
    {"aclDarkRed", 0xFF8B0000},
    {"aclDarkSalmon", 0xFFE9967A},
    {"aclDarkSeaGreen", 0xFF8FBC8F},
    {"aclDarkSlateBlue", 0xFF483D8B},
    {"aclDarkSlateGray", 0xFF2F4F4F},
    {"aclDarkTurquoise", 0xFF00CED1},
    {"aclDarkViolet", 0xFF9400D3},
    {"aclDeepPink", 0xFFFF1493},
    {"aclDeepSkyBlue", 0xFF00BFFF},
    {"aclDimGray", 0xFF696969},
    {"aclDodgerBlue", 0xFF1E90FF},
    {"aclFirebrick", 0xFFB22222},
    {"aclFloralWhite", 0xFFFFFAF0},
    {"aclForestGreen", 0xFF228B22},
    {"aclFuchsia", 0xFFFF00FF},
    {"aclGainsboro", 0xFFDCDCDC},
    {"aclGhostWhite", 0xFFF8F8FF},
    {"aclGold", 0xFFFFD700},
    {"aclGoldenrod", 0xFFDAA520},
    {"aclGray", 0xFF808080},
    {"aclGreen", 0xFF008000},
    {"aclGreenYellow", 0xFFADFF2F},
    {"aclHoneydew", 0xFFF0FFF0},
    {"aclHotPink", 0xFFFF69B4},
    {"aclIndianRed", 0xFFCD5C5C},
    {"aclIndigo", 0xFF4B0082},
    {"aclIvory", 0xFFFFFFF0},
    {"aclKhaki", 0xFFF0E68C},
    {"aclLavender", 0xFFE6E6FA},
    {"aclLavenderBlush", 0xFFFFF0F5},
    {"aclLawnGreen", 0xFF7CFC00},
    {"aclLemonChiffon", 0xFFFFFACD},
    {"aclLightBlue", 0xFFADD8E6},
    {"aclLightCoral", 0xFFF08080},
    {"aclLightCyan", 0xFFE0FFFF},
    {"aclLightGoldenrodYellow", 0xFFFAFAD2},
    {"aclLightGray", 0xFFD3D3D3},
    {"aclLightGreen", 0xFF90EE90},
    {"aclLightPink", 0xFFFFB6C1},
    {"aclLightSalmon", 0xFFFFA07A},
    {"aclLightSeaGreen", 0xFF20B2AA},
    {"aclLightSkyBlue", 0xFF87CEFA},
    {"aclLightSlateGray", 0xFF778899},
    {"aclLightSteelBlue", 0xFFB0C4DE},
    {"aclLightYellow", 0xFFFFFFE0},
    {"aclLime", 0xFF00FF00},
    {"aclLimeGreen", 0xFF32CD32},
    {"aclLinen", 0xFFFAF0E6},
    {"aclMagenta", 0xFFFF00FF},
    {"aclMaroon", 0xFF800000},
    {"aclMediumAquamarine", 0xFF66CDAA},
    {"aclMediumBlue", 0xFF0000CD},
    {"aclMediumOrchid", 0xFFBA55D3},
    {"aclMediumPurple", 0xFF9370DB},
    {"aclMediumSeaGreen", 0xFF3CB371},
    {"aclMediumSlateBlue", 0xFF7B68EE},
    {"aclMediumSpringGreen", 0xFF00FA9A},
    {"aclMediumTurquoise", 0xFF48D1CC},
    {"aclMediumVioletRed", 0xFFC71585},
    {"aclMidnightBlue", 0xFF191970},
    {"aclMintCream", 0xFFF5FFFA},
    {"aclMistyRose", 0xFFFFE4E1},
    {"aclMoccasin", 0xFFFFE4B5},
    {"aclNavajoWhite", 0xFFFFDEAD},
    {"aclNavy", 0xFF000080},
    {"aclOldLace", 0xFFFDF5E6},
    {"aclOlive", 0xFF808000},
    {"aclOliveDrab", 0xFF6B8E23},
    {"aclOrange", 0xFFFFA500},
    {"aclOrangeRed", 0xFFFF4500},
    {"aclOrchid", 0xFFDA70D6},
    {"aclPaleGoldenrod", 0xFFEEE8AA},
    {"aclPaleGreen", 0xFF98FB98},
    {"aclPaleTurquoise", 0xFFAFEEEE},
    {"aclPaleVioletRed", 0xFFDB7093},
    {"aclPapayaWhip", 0xFFFFEFD5},
    {"aclPeachPuff", 0xFFFFDAB9},
    {"aclPeru", 0xFFCD853F},
    {"aclPink", 0xFFFFC0CB},
    {"aclPlum", 0xFFDDA0DD},
    {"aclPowderBlue", 0xFFB0E0E6},
    {"aclPurple", 0xFF800080},
    {"aclRed", 0xFFFF0000},
    {"aclRosyBrown", 0xFFBC8F8F},
    {"aclRoyalBlue", 0xFF4169E1},
    {"aclSaddleBrown", 0xFF8B4513},
    {"aclSalmon", 0xFFFA8072},
    {"aclSandyBrown", 0xFFF4A460},
    {"aclSeaGreen", 0xFF2E8B57},
    {"aclSeaShell", 0xFFFFF5EE},
    {"aclSienna", 0xFFA0522D},
    {"aclSilver", 0xFFC0C0C0},
    {"aclSkyBlue", 0xFF87CEEB},
    {"aclSlateBlue", 0xFF6A5ACD},
    {"aclSlateGray", 0xFF708090},
    {"aclSnow", 0xFFFFFAFA},
    {"aclSpringGreen", 0xFF00FF7F},
    {"aclSteelBlue", 0xFF4682B4},
    {"aclTan", 0xFFD2B48C},
    {"aclTeal", 0xFF008080},
    {"aclThistle", 0xFFD8BFD8},
    {"aclTomato", 0xFFFF6347},
    {"aclTransparent", 0x00FFFFFF},
    {"aclTurquoise", 0xFF40E0D0},
    {"aclViolet", 0xFFEE82EE},
    {"aclWheat", 0xFFF5DEB3},
    {"aclWhite", 0xFFFFFFFF},
    {"aclWhiteSmoke", 0xFFF5F5F5},
    {"aclYellow", 0xFFFFFF00},
    {"aclYellowGreen", 0xFF9ACD32},
};

std::string FormatColorValue(Argb color) {
    for (const NamedColor& c : NamedColors)
        if (c.value == color)
            return c.name;
    char text[10];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
    return text;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string_view TrimBlanksAndControls(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// A signed 32-bit integer: optional blanks, a sign, then decimal digits or "$"
// and up to eight hex digits (which may set the sign bit). Nothing may follow.
bool ParseSigned32(std::string_view s, std::int32_t& value) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    std::uint64_t magnitude = 0;
    if (s.front() == '$') {
        s.remove_prefix(1);
        if (s.empty())
            return false;
        for (char c : s) {
            const int d = HexDigit(c);
            if (d < 0)
                return false;
            magnitude = magnitude * 16 + static_cast<unsigned>(d);
            if (magnitude > 0xFFFFFFFFull)
                return false;
        }
        std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<std::int32_t>(bits);
        return true;
    }
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
        if (magnitude > 0x80000000ull)
            return false;
    }
    if (!negative && magnitude > 0x7FFFFFFFull)
        return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

} // namespace

bool ParseIniInteger(std::string_view text, std::int32_t& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string dollar = "$";
        dollar.append(text.substr(2));
        return ParseSigned32(dollar, value);
    }
    return ParseSigned32(text, value);
}

int ClampedIniInteger(std::string_view text, int low, int high, int defaultValue) {
    std::int32_t value = 0;
    if (ParseIniInteger(text, value))
        return std::clamp<int>(value, low, high);
    // Too large a number is out of range, not no number at all.
    std::string_view digits = text;
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    if (!digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return negative ? low : high;
    return defaultValue;
}

Argb ParseColorValue(std::string_view text) {
    text = TrimBlanksAndControls(text);
    if (text.empty())
        return 0xFF000000;
    if (text.front() == '$') {
        std::uint32_t result = 0;
        for (char c : text.substr(1)) {
            const int d = HexDigit(c);
            if (d < 0)
                break;
            result = result * 16 + static_cast<unsigned>(d);
        }
        return result;
    }
    for (const NamedColor& c : NamedColors)
        if (text == c.name)
            return c.value;
    std::int32_t number = 0;
    if (ParseIniInteger(text, number))
        return static_cast<Argb>(number);
    return 0xFF000000;
}

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<double> ParseCoordinate(std::string_view text, double limit) {
    text = TrimBlanks(text);
    // Digits with at most one '.', after an optional '-': no exponent, no
    // "nan" or "inf", which the conversion below would take.
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.front() == '.' || digits.find_first_not_of("0123456789.") != std::string_view::npos ||
        std::count(digits.begin(), digits.end(), '.') > 1)
        return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || std::fabs(v) > limit)
        return std::nullopt;
    return v;
}

namespace {

// A key's field; its type picks how the key is read and written: an integer
// (held to the row's range when it has one), a flag ("1"/"0"), text, a
// colour's text, a position written only once known, a coordinate in decimal
// degrees within the row's range, written with four decimals once known.
using Field = std::variant<int Settings::*, bool Settings::*, std::string Settings::*, Argb Settings::*,
                           std::optional<int> Settings::*, std::optional<double> Settings::*>;

// Where a key goes when the settings are saved: its place in the order of
// writing (from 1), or nowhere for a key that is read and never written. A
// key written "when set" is left out while its field is empty or unknown.
struct Saving {
    int order = 0;
    bool whenSet = false;
};
constexpr Saving kReadOnly{};
constexpr Saving Saved(int order) {
    return {order, false};
}
constexpr Saving SavedWhenSet(int order) {
    return {order, true};
}

struct Key {
    const char* name;
    Field field;
    Saving saving;
    ValueRange range{}; // numbers outside it: clamped (integers) or none (coordinates); empty: any
};

// Every key of section "Option", in the order LoadSettings reads them. A
// missing key reads as the field of a default-constructed record, so the
// defaults are stated once, in the record.
constexpr Key kKeys[] = {
    {"Transparent", &Settings::transparency, Saved(4)},
    {"Xingzuo", &Settings::sign, Saved(5)},
    {"Font", &Settings::font, Saved(1)},
    {"Top", &Settings::stayOnTop, Saved(6)},
    {"wake", &Settings::hourlyAlert, Saved(7)},
    {"weather", &Settings::showWeather, Saved(8)},
    {"showxz", &Settings::showHoroscope, Saved(9)},
    {"getnettime", &Settings::networkTime, Saved(10)},
    {"Startcolor", &Settings::startColour, Saved(2)},
    {"Endcolor", &Settings::endColour, Saved(3)},
    {"City", &Settings::city, Saved(11)},
    {"Lunar", &Settings::lunar, Saved(12)},
    {"PosLeft", &Settings::posLeft, SavedWhenSet(13)},
    {"PosTop", &Settings::posTop, SavedWhenSet(14)},
    {"ShowSeconds", &Settings::showSeconds, Saved(15)},
    {"Hour12", &Settings::hour12, Saved(16)},
    {"ShowDate", &Settings::showDate, Saved(17)},
    {"Scale", &Settings::scale, Saved(18), kScaleRange},
    {"HideFullScreen", &Settings::hideFullScreen, Saved(19)},
    {"ClickThrough", &Settings::clickThrough, Saved(20)},
    {"TrayIcon", &Settings::trayIcon, Saved(21)},
    {"WeatherHost", &Settings::weatherHost, kReadOnly},
    {"XingzuoHost", &Settings::horoscopeHost, kReadOnly},
    {"NtpServer", &Settings::ntpServer, kReadOnly},
    {"ForecastApi", &Settings::forecastApi, kReadOnly},
    {"GeocodeApi", &Settings::geocodeApi, kReadOnly},
    {"HolidayApi", &Settings::holidayApi, kReadOnly},
    {"AirQualityApi", &Settings::airQualityApi, kReadOnly},
    {"Place", &Settings::place, SavedWhenSet(22)},
    {"Latitude", &Settings::latitude, SavedWhenSet(23), kLatitudeRange},
    {"Longitude", &Settings::longitude, SavedWhenSet(24), kLongitudeRange},
};

// The written keys take the places 1, 2, 3 ... each once.
consteval bool SaveOrderIsWhole() {
    int written = 0;
    for (const Key& k : kKeys)
        written += k.saving.order > 0;
    for (int order = 1; order <= written; ++order) {
        int holders = 0;
        for (const Key& k : kKeys)
            holders += k.saving.order == order;
        if (holders != 1)
            return false;
    }
    return true;
}
static_assert(SaveOrderIsWhole(), "every written key needs a place of its own in the save order, from 1 without gaps");

std::optional<std::int32_t> IniInteger(const std::string& text) {
    std::int32_t value = 0;
    return ParseIniInteger(text, value) ? std::optional<std::int32_t>(value) : std::nullopt;
}

void ReadKey(ProfileStore& store, const Key& k, const Settings& defaults, Settings& s) {
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(s.*member)>;
            const T& fallback = defaults.*member;
            if constexpr (std::is_same_v<T, std::string>) {
                s.*member = store.Read(k.name, fallback);
            } else if constexpr (std::is_same_v<T, Argb>) {
                // The default as the file would hold it: "aclWhite", "$FF1E78C3".
                s.*member = ParseColorValue(store.Read(k.name, FormatColorValue(fallback)));
            } else if constexpr (std::is_same_v<T, std::optional<double>>) {
                s.*member = ParseCoordinate(store.Read(k.name, ""), k.range.high);
            } else {
                const std::string text = store.Read(k.name, "");
                if constexpr (std::is_same_v<T, int>) {
                    s.*member = k.range.Empty() ? IniInteger(text).value_or(fallback)
                                                : ClampedIniInteger(text, static_cast<int>(k.range.low),
                                                                    static_cast<int>(k.range.high), fallback);
                } else if constexpr (std::is_same_v<T, bool>) {
                    const std::optional<std::int32_t> value = IniInteger(text);
                    s.*member = value ? *value != 0 : fallback;
                } else {
                    const std::optional<std::int32_t> value = IniInteger(text);
                    s.*member = value ? std::optional<int>(*value) : fallback;
                }
            }
        },
        k.field);
}

// The key's text to write, or nothing when it is written only when set and is not.
std::optional<std::string> KeyText(const Key& k, const Settings& s) {
    return std::visit(
        [&](auto member) -> std::optional<std::string> {
            const auto& value = s.*member;
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return k.saving.whenSet && value.empty() ? std::nullopt : std::optional<std::string>(value);
            } else if constexpr (std::is_same_v<T, Argb>) {
                return FormatColorValue(value);
            } else if constexpr (std::is_same_v<T, bool>) {
                return value ? "1" : "0";
            } else if constexpr (std::is_same_v<T, int>) {
                return std::to_string(value);
            } else if constexpr (std::is_same_v<T, std::optional<int>>) {
                return value ? std::optional<std::string>(std::to_string(*value)) : std::nullopt;
            } else {
                return value ? std::optional<std::string>(FormatCoordinate(*value)) : std::nullopt;
            }
        },
        k.field);
}

// The place's coordinates are known together, and within range, or not at all.
void KeepCoordinatesTogether(Settings& s) {
    if (!(s.latitude && s.longitude && ValidCoordinates(*s.latitude, *s.longitude)))
        s.latitude = s.longitude = std::nullopt;
}

} // namespace

void LoadSettings(ProfileStore& store, Settings& s) {
    const Settings defaults;
    for (const Key& k : kKeys)
        ReadKey(store, k, defaults, s);
    KeepCoordinatesTogether(s);
}

void SaveSettings(ProfileStore& store, const Settings& settings) {
    Settings s = settings;
    KeepCoordinatesTogether(s);
    std::vector<const Key*> written;
    for (const Key& k : kKeys)
        if (k.saving.order > 0)
            written.push_back(&k);
    std::sort(written.begin(), written.end(),
              [](const Key* a, const Key* b) { return a->saving.order < b->saving.order; });
    for (const Key* k : written)
        if (const std::optional<std::string> text = KeyText(*k, s))
            store.Write(k->name, *text);
}

} // namespace vemora
