#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

using Argb = std::uint32_t;

// GBK bytes of the Chinese names the program keeps as ANSI text.
inline constexpr const char* kFontSongTi = "\xCB\xCE\xCC\xE5";                // 宋体
inline constexpr const char* kFontYaHei = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA"; // 微软雅黑

// What the timed action does; the numbers are the timed-action dialog's choices.
enum class ScheduledActionKind : int { Shutdown = 0, Alarm = 1, Restart = 2 };

struct ScheduledActionState {
    double due = 0; // date-time at which the armed action falls due
    ScheduledActionKind kind = ScheduledActionKind::Shutdown;
    bool operator==(const ScheduledActionState&) const = default;
};

// The one process-wide record of settings and run-time state. Strings are GBK.
// The initialisers are the only statement of the defaults: a key missing from
// clockset.ini reads as the field's value in a default-constructed record.
struct Settings {
    // Stored in clockset.ini.
    int Transparent = 250;
    int Xingzuo = 1;
    std::string Font = kFontSongTi;
    bool Top = false; // the topmost mark of menu item kMenuStayOnTop
    bool wake = true;
    bool weather = false;
    bool showxz = false;
    bool getnettime = false;
    Argb Startcolor = 0xFFFFFFFF;
    Argb Endcolor = 0xFF1E78C3;
    std::string City;
    bool Lunar = true; // the Chinese calendar in the calendar pop-up
    // Where the user left the clock: its top-left corner in pixels of the
    // virtual screen; none until the clock has been dragged. Written only
    // when known.
    std::optional<int> PosLeft;
    std::optional<int> PosTop;

    // Read when present, never written: where the providers live.
    std::string WeatherHost;
    std::string XingzuoHost;
    std::string NtpServer;

    // Run-time state, never stored.
    std::string WeatherText;
    bool CalendarShown = false;
    ScheduledActionState ScheduledAction;
    bool Armed = false;     // the check mark of menu item kMenuTimedAction
    bool Autostart = false; // the check mark of menu item kMenuAutostart
    const void* RingSound = nullptr;
    std::vector<std::string> InstalledFonts;

    bool operator==(const Settings&) const = default;
};

// The one process-wide record of settings and run-time state.
extern Settings ClockSettings;

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

void LoadSettings(ProfileStore& store, Settings& settings);
void SaveSettings(ProfileStore& store, const Settings& settings);

} // namespace vemora
