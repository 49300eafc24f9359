#pragma once
#include "base/coordinate.h"
#include "base/argb.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

// GBK bytes of the Chinese names the program keeps as ANSI text.
inline constexpr const char* kFontSongTi = "\xCB\xCE\xCC\xE5";                // 宋体
inline constexpr const char* kFontYaHei = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA"; // 微软雅黑

// The numbers a key may hold, written once for its reader and for whoever
// offers the choice; an empty range (low not below high) holds any number.
struct ValueRange {
    double low = 0, high = 0;
    constexpr bool Empty() const { return !(low < high); }
};
inline constexpr ValueRange kScaleRange{50, 300}; // "Scale", in percent
inline constexpr int kDefaultScale = 100;
inline constexpr ValueRange kLatitudeRange{-90, 90};    // "Latitude", decimal degrees
inline constexpr ValueRange kLongitudeRange{-180, 180}; // "Longitude"

// What clockset.ini holds, the clock window's to own and to hand down by
// value. Strings are GBK. The initialisers are the only statement of the
// defaults: a key missing from clockset.ini reads as the field's value in a
// default-constructed record. Each field read from the file has its row in
// the key table of settings.cpp (name, field, place in the save order, range):
// a key the program reads and never writes is one field and one row there.
struct Settings {
    int transparency = 250;         // "Transparent"
    int sign = 1;                   // "Xingzuo": the star sign, 0 to 11
    std::string font = kFontSongTi; // "Font"
    bool stayOnTop = false;         // "Top"
    bool hourlyAlert = true;        // "wake"
    bool showWeather = false;       // "weather"
    bool showHoroscope = false;     // "showxz"
    bool networkTime = false;       // "getnettime": set the clock at start-up
    Argb startColour = 0xFFFFFFFF;  // "Startcolor"
    Argb endColour = 0xFF1E78C3;    // "Endcolor"
    std::string city;               // "City": upper-case pinyin
    bool lunar = true;              // "Lunar": the Chinese calendar in the calendar pop-up
    // Where the user left the clock: its top-left corner in pixels of the
    // virtual screen; none until the clock has been dragged. Written only
    // when known.
    std::optional<int> posLeft; // "PosLeft"
    std::optional<int> posTop;  // "PosTop"
    // How the clock shows the time: seconds, a 12-hour clock with 上午/下午,
    // the date line under it, and its size in percent (50..300).
    bool showSeconds = true;    // "ShowSeconds"
    bool hour12 = false;        // "Hour12"
    bool showDate = false;      // "ShowDate"
    int scale = kDefaultScale;  // "Scale", held to kScaleRange
    bool hideFullScreen = true; // "HideFullScreen": hidden while a full-screen program is in front
    bool clickThrough = false;  // "ClickThrough": the mouse passes through the clock and its strip
    bool trayIcon = false;      // "TrayIcon": an icon in the notification area
    // The forecast's place: its name as shown (GBK) and where it is, in
    // decimal degrees. The coordinates are known together or not at all, and
    // written with four decimals only when known.
    std::string place;               // "Place"
    std::optional<double> latitude;  // "Latitude"
    std::optional<double> longitude; // "Longitude"

    // Read when present, never written: where the providers live.
    std::string weatherHost;   // "WeatherHost"
    std::string horoscopeHost; // "XingzuoHost"
    std::string ntpServer;     // "NtpServer"
    std::string forecastApi;   // "ForecastApi": scheme://host[:port]; empty: the public service
    std::string geocodeApi;    // "GeocodeApi"
    std::string holidayApi;    // "HolidayApi": base addresses separated by ";"; empty: the public data set
    std::string airQualityApi; // "AirQualityApi"

    bool operator==(const Settings&) const = default;
};

struct NamedColor {
    const char* name;
    Argb value;
};
extern const NamedColor NamedColors[141];

std::string FormatColorValue(Argb color);
Argb ParseColorValue(std::string_view text);

// Reads an integer as the settings file stores it: "0x"/"0X" followed by hex
// digits, or a signed 32-bit decimal, or "$" and hex digits. Returns false for
// text that is no integer or lies outside 32 bits.
bool ParseIniInteger(std::string_view text, std::int32_t& value);
// An integer held to [low, high]: what ParseIniInteger reads is clamped, a
// decimal number too long for 32 bits goes to the bound on its side, and
// anything else gives the default.
int ClampedIniInteger(std::string_view text, int low, int high, int defaultValue);

// The key-by-key access to the settings file. Read returns the default when
// the key is missing; Write throws when the key cannot be written.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    virtual std::string Read(const char* key, const std::string& defaultValue) = 0;
    virtual void Write(const char* key, const std::string& value) = 0;
};

inline constexpr std::size_t kMaxProfileString = 2047;
inline constexpr const char* kSettingsFileName = "clockset.ini";
inline constexpr const char* kSettingsSection = "Option";

// A decimal number with '.' (never the locale's separator), as the settings
// file holds it; nothing for anything else or a value beyond limit in size.
std::optional<double> ParseCoordinate(std::string_view text, double limit);

void LoadSettings(ProfileStore& store, Settings& settings);
void SaveSettings(ProfileStore& store, const Settings& settings);

} // namespace vemora
