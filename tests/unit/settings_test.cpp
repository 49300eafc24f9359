#include "settings/settings.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace vemora;

namespace {

// The settings file as a map; records the order of writes and can refuse one key.
class MapStore : public ProfileStore {
public:
    std::map<std::string, std::string> values;
    std::vector<std::string> read, written;
    std::string refuseKey;

    std::string Read(const char* key, const std::string& def) override {
        read.push_back(key);
        auto it = values.find(key);
        return it == values.end() ? def : it->second;
    }
    void Write(const char* key, const std::string& value) override {
        if (key == refuseKey)
            throw std::runtime_error("Unable to write to C:\\clockset.ini");
        values[key] = value;
        written.push_back(key);
    }
};

// Saves `s` and checks the values written under the given keys.
MapStore ExpectSaved(const Settings& s, std::initializer_list<std::pair<const char*, const char*>> expected) {
    MapStore out;
    SaveSettings(out, s);
    for (const auto& [key, value] : expected)
        EXPECT_EQ(out.values[key], value) << key;
    return out;
}

Settings Loaded(std::map<std::string, std::string> values) {
    MapStore store;
    store.values = std::move(values);
    Settings s;
    s.transparency = -7; // proves that LoadSettings overwrites every field
    s.stayOnTop = true;
    LoadSettings(store, s);
    return s;
}

} // namespace

TEST(SettingsStore, MissingFileGivesDefaultsAndSavesEveryKey) {
    Settings s = Loaded({});
    EXPECT_EQ(s.transparency, 250);
    EXPECT_EQ(s.sign, 1);
    EXPECT_EQ(s.font, Gbk("宋体"));
    EXPECT_FALSE(s.stayOnTop);
    EXPECT_TRUE(s.hourlyAlert);
    EXPECT_FALSE(s.showWeather || s.showHoroscope || s.networkTime);
    EXPECT_EQ(s.startColour, 0xFFFFFFFFu);
    EXPECT_EQ(s.endColour, 0xFF1E78C3u);
    EXPECT_EQ(s.city, "");
    EXPECT_TRUE(s.lunar);

    MapStore out;
    SaveSettings(out, s);
    EXPECT_EQ(out.written,
              (std::vector<std::string>{"Font", "Startcolor", "Endcolor", "Transparent", "Xingzuo", "Top", "wake",
                                        "weather", "showxz", "getnettime", "City", "Lunar", "ShowSeconds", "Hour12",
                                        "ShowDate", "Scale", "HideFullScreen", "ClickThrough", "TrayIcon"}));
    EXPECT_EQ(out.values["Startcolor"], "aclWhite");
    EXPECT_EQ(out.values["Endcolor"], "$FF1E78C3");
    EXPECT_EQ(out.values["Transparent"], "250");
    EXPECT_EQ(out.values["wake"], "1");
    EXPECT_EQ(out.values["Top"], "0");
    EXPECT_EQ(out.values["Lunar"], "1");
    EXPECT_EQ(out.values["HideFullScreen"], "1");
    EXPECT_EQ(out.values["ClickThrough"] + out.values["TrayIcon"], "00");
    EXPECT_EQ(out.values["Font"], Gbk("宋体"));
}

TEST(SettingsStore, AnEmptyFileGivesExactlyTheDefaultRecord) {
    Settings s;
    s.transparency = 7, s.sign = 5, s.font = "Arial", s.stayOnTop = true, s.hourlyAlert = false, s.showWeather = true;
    s.showHoroscope = true, s.networkTime = true, s.startColour = 1, s.endColour = 2, s.city = "X", s.weatherHost = "w";
    s.horoscopeHost = "x", s.ntpServer = "n", s.lunar = false, s.posLeft = 1, s.posTop = 2;
    s.showSeconds = false, s.hour12 = true, s.showDate = true, s.scale = 250;
    s.hideFullScreen = false, s.clickThrough = true, s.trayIcon = true;
    MapStore empty;
    LoadSettings(empty, s);
    EXPECT_TRUE(s == Settings{});
    EXPECT_EQ(empty.read, (std::vector<std::string>{"Transparent", "Xingzuo",     "Font",           "Top",
                                                    "wake",        "weather",     "showxz",         "getnettime",
                                                    "Startcolor",  "Endcolor",    "City",           "Lunar",
                                                    "PosLeft",     "PosTop",      "ShowSeconds",    "Hour12",
                                                    "ShowDate",    "Scale",       "HideFullScreen", "ClickThrough",
                                                    "TrayIcon",    "WeatherHost", "XingzuoHost",    "NtpServer",
                                                    "ForecastApi", "GeocodeApi",  "HolidayApi",     "AirQualityApi",
                                                    "Place",       "Latitude",    "Longitude"}));
}

TEST(SettingsStore, IntegerAndBooleanRules) {
    struct Case {
        const char* key;
        const char* text;
        int transparent;
        bool wake, weather;
    };
    const Case cases[] = {
        {"Transparent", "0x64", 100, true, false},
        {"Transparent", "0X64", 100, true, false},
        {"Transparent", "$64", 100, true, false},
        {"Transparent", "abc", 250, true, false},
        {"Transparent", "-5", -5, true, false},
        {"Transparent", "0x", 250, true, false},
        {"Transparent", "12abc", 250, true, false},
        {"Transparent", "2147483648", 250, true, false},
        {"Transparent", "-2147483648", INT32_MIN, true, false},
        {"Transparent", "0xFFFFFFFF", -1, true, false},
        {"wake", "2", 250, true, false},
        {"wake", "0", 250, false, false},
        {"wake", "yes", 250, true, false},
        {"weather", "yes", 250, true, false},
        {"weather", "1", 250, true, true},
        {"weather", "-1", 250, true, true},
    };
    for (const Case& c : cases) {
        Settings s = Loaded({{c.key, c.text}});
        EXPECT_EQ(s.transparency, c.transparent) << c.key << "=" << c.text;
        EXPECT_EQ(s.hourlyAlert, c.wake) << c.key << "=" << c.text;
        EXPECT_EQ(s.showWeather, c.weather) << c.key << "=" << c.text;
    }
}

TEST(SettingsStore, ColourTextBothWays) {
    struct Parse {
        const char* text;
        Argb value;
    };
    const Parse parses[] = {
        {"aclWhite", 0xFFFFFFFF},
        {"aclwhite", 0xFF000000},
        {"$ff00ff00", 0xFF00FF00},
        {"$FF00GG00", 0x0000FF00},
        {"-1", 0xFFFFFFFF},
        {"", 0xFF000000},
        {"  \t", 0xFF000000},
        {" aclRed\r", 0xFFFF0000},
        {"$", 0},
        {"0x1E", 0x1E},
        {"255", 255},
        {"nonsense", 0xFF000000},
        {"$123456789", 0x23456789},
        {"aclTransparent", 0x00FFFFFF},
    };
    for (const Parse& p : parses)
        EXPECT_EQ(ParseColorValue(p.text), p.value) << '"' << p.text << '"';

    EXPECT_EQ(FormatColorValue(0x50FF0000), "$50FF0000");
    EXPECT_EQ(FormatColorValue(0xFFFF0000), "aclRed");
    EXPECT_EQ(FormatColorValue(0x00FFFFFF), "aclTransparent");
    EXPECT_EQ(FormatColorValue(0xFF00FFFF), "aclAqua"); // the first of Aqua and Cyan
    EXPECT_EQ(FormatColorValue(0xFFFF00FF), "aclFuchsia");
    EXPECT_EQ(FormatColorValue(0x0000000A), "$0000000A");
}

TEST(SettingsStore, NamedColoursTable) {
    ASSERT_EQ(std::size(NamedColors), 141u);
    EXPECT_STREQ(NamedColors[0].name, "aclAliceBlue");
    EXPECT_STREQ(NamedColors[140].name, "aclYellowGreen");
    std::set<std::string> names;
    for (size_t i = 0; i < std::size(NamedColors); ++i) {
        const std::string name = NamedColors[i].name;
        EXPECT_TRUE(names.insert(name).second) << name;
        if (i > 0) {
            EXPECT_LT(std::string(NamedColors[i - 1].name), name) << "alphabetical order";
        }
        EXPECT_EQ(NamedColors[i].value >> 24, name == "aclTransparent" ? 0u : 0xFFu) << name;
        // Every named colour reads back as itself, and formats to the first name with its value.
        EXPECT_EQ(ParseColorValue(name), NamedColors[i].value);
        EXPECT_EQ(ParseColorValue(FormatColorValue(NamedColors[i].value)), NamedColors[i].value);
    }
    EXPECT_EQ(ParseColorValue("aclSteelBlue"), 0xFF4682B4u);
}

TEST(SettingsStore, StoredValuesRoundTrip) {
    Settings s = Loaded({{"City", "NANJING"},
                         {"Startcolor", "$50FF0000"},
                         {"Endcolor", "aclRed"},
                         {"Xingzuo", "44"},
                         {"Top", "1"},
                         {"Lunar", "0"},
                         {"WeatherHost", "127.0.0.1:8080"}});
    EXPECT_EQ(s.sign, 44); // kept as it is; the horoscope panel deals with it
    EXPECT_TRUE(s.stayOnTop);
    EXPECT_EQ(s.weatherHost, "127.0.0.1:8080");
    const MapStore out = ExpectSaved(
        s, {{"City", "NANJING"}, {"Startcolor", "$50FF0000"}, {"Endcolor", "aclRed"}, {"Top", "1"}, {"Lunar", "0"}});
    EXPECT_EQ(out.values.count("WeatherHost"), 0u) << "provider hosts are never written";
}

TEST(SettingsStore, ThePlaceIsKeptWithBothCoordinatesOrNone) {
    struct Case {
        const char *latitude, *longitude;
        bool known;
    } const cases[] = {
        {"28.2282", "112.9388", true},
        {" -33.8688 ", "151.2093", true},
        {"91", "0", false},
        {"0", "-180.5", false},
        {"abc", "1", false},
        {"1e1", "1", false},
        {"nan", "1", false},
        {"28.1", "", false},
    };
    for (const Case& c : cases) {
        Settings s = Loaded({{"Latitude", c.latitude}, {"Longitude", c.longitude}, {"Place", Gbk("长沙")}});
        EXPECT_EQ(s.latitude.has_value(), c.known) << c.latitude << "," << c.longitude;
        EXPECT_EQ(s.latitude.has_value(), s.longitude.has_value());
        MapStore out;
        SaveSettings(out, s);
        EXPECT_EQ(out.values["Place"], Gbk("长沙"));
        EXPECT_EQ(out.values.count("Latitude"), c.known ? 1u : 0u);
    }
    Settings s;
    s.latitude = 28.228249, s.longitude = -0.12776;
    MapStore out;
    SaveSettings(out, s);
    EXPECT_EQ(out.values["Latitude"], "28.2282");
    EXPECT_EQ(out.values["Longitude"], "-0.1278");
    EXPECT_EQ(out.values.count("Place"), 0u);
    EXPECT_EQ(out.values.count("ForecastApi"), 0u) << "service addresses are never written";
    EXPECT_EQ(out.values.count("HolidayApi"), 0u) << "service addresses are never written";
    EXPECT_EQ(out.values.count("AirQualityApi"), 0u);
}

TEST(SettingsStore, RefusedWriteStopsAtThatKey) {
    Settings s;
    MapStore out;
    out.refuseKey = "Transparent";
    EXPECT_THROW(SaveSettings(out, s), std::runtime_error);
    EXPECT_EQ(out.written, (std::vector<std::string>{"Font", "Startcolor", "Endcolor"}));
}

#include "settings/colours.h"

TEST(SettingsDialogColours, ColourBoxToArgb) {
    const std::uint32_t red = 0x000000FF, sky = 0x00F0CAA6; // 0x00BBGGRR
    EXPECT_EQ(ColourBoxToArgb(red, kStartColourAlpha), 0x50FF0000u);
    EXPECT_EQ(ColourBoxToArgb(red, kEndColourAlpha), 0xFFFF0000u);
    EXPECT_EQ(ColourBoxToArgb(sky, kEndColourAlpha), 0xFFA6CAF0u);
    EXPECT_EQ(FormatColorValue(ColourBoxToArgb(0x00FFFFFF, kEndColourAlpha)), "aclWhite");
}

TEST(SettingsStore, ClockPositionIsWrittenOnlyOnceKnown) {
    struct Case {
        std::map<std::string, std::string> file;
        std::optional<int> left, top;
    };
    const Case cases[] = {
        {{}, std::nullopt, std::nullopt},
        {{{"PosLeft", "-1500"}, {"PosTop", "0x20"}}, -1500, 32},
        {{{"PosLeft", "100"}, {"PosTop", "far"}}, 100, std::nullopt},
    };
    for (const Case& c : cases) {
        const Settings s = Loaded(c.file);
        EXPECT_EQ(s.posLeft, c.left);
        EXPECT_EQ(s.posTop, c.top);
    }
    Settings s;
    MapStore out;
    SaveSettings(out, s);
    EXPECT_EQ(out.values.count("PosLeft") + out.values.count("PosTop"), 0u) << "never dragged: nothing written";
    s.posLeft = -1500;
    s.posTop = 32;
    out.written.clear();
    SaveSettings(out, s);
    EXPECT_EQ(std::vector<std::string>(out.written.end() - 10, out.written.end() - 7),
              (std::vector<std::string>{"Lunar", "PosLeft", "PosTop"}));
    EXPECT_EQ(out.values["PosLeft"], "-1500");
    EXPECT_EQ(out.values["PosTop"], "32");
}

TEST(SettingsStore, ClockFaceKeysFallBackOrClamp) {
    struct Case {
        const char* text;         // nullptr: the keys are missing
        std::optional<bool> flag; // what ShowSeconds, Hour12 and ShowDate read; none: each its own default
        int scale;
    };
    const Case cases[] = {
        {nullptr, std::nullopt, 100},
        {"0", false, 50},
        {"1", true, 50},
        {"2", true, 50},
        {"150", true, 150},
        {"49", true, 50},
        {"301", true, 300},
        {"-7", true, 50},
        {"0x64", true, 100},
        {"99999999999", std::nullopt, 300},
        {"-99999999999", std::nullopt, 50},
        {"abc", std::nullopt, 100},
        {"", std::nullopt, 100},
        {"12%", std::nullopt, 100},
    };
    for (const Case& c : cases) {
        MapStore in;
        if (c.text)
            for (const char* key : {"ShowSeconds", "Hour12", "ShowDate", "Scale"})
                in.values[key] = c.text;
        Settings s;
        LoadSettings(in, s);
        const char* label = c.text ? c.text : "(missing)";
        EXPECT_EQ(s.showSeconds, c.flag.value_or(true)) << label;
        EXPECT_EQ(s.hour12, c.flag.value_or(false)) << label;
        EXPECT_EQ(s.showDate, c.flag.value_or(false)) << label;
        EXPECT_EQ(s.scale, c.scale) << label;
    }
    Settings s;
    s.showSeconds = false, s.hour12 = true, s.showDate = true, s.scale = 275;
    ExpectSaved(s, {{"ShowSeconds", "0"}, {"Hour12", "1"}, {"ShowDate", "1"}, {"Scale", "275"}});
}
