#include "app/clockface.h"

#include "settings/settings.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace vemora;

namespace {

std::string ToGbk(std::string_view utf8) {
    return Gbk(std::string(utf8));
}

class OneKeyStore : public ProfileStore {
public:
    OneKeyStore(std::string key, std::string text) : key_(std::move(key)), text_(std::move(text)) {}
    std::string Read(const char* key, const std::string& defaultValue) override {
        return key == key_ ? text_ : defaultValue;
    }
    void Write(const char*, const std::string&) override {}

private:
    std::string key_, text_;
};

} // namespace

TEST(ClockFace, KeysReadAsTheirRulesSay) {
    // ShowSeconds, Hour12 and ShowDate read as every boolean key: the store's
    // own wake (default on) and weather (default off) must agree with each row.
    struct Flag {
        const char* text;
        bool defaultOn, defaultOff;
    };
    const Flag flags[] = {
        {"", true, false},  {"1", true, true},    {"0", false, false},   {"2", true, true},
        {"-1", true, true}, {"yes", true, false}, {"true", true, false}, {"0x0", false, false},
        {"$1", true, true}, {"1 ", true, false},  {"0x", true, false},   {"99999999999", true, false},
    };
    for (const Flag& f : flags) {
        Settings wake, weather;
        OneKeyStore wakeStore("wake", f.text), weatherStore("weather", f.text);
        LoadSettings(wakeStore, wake);
        LoadSettings(weatherStore, weather);
        EXPECT_EQ(wake.hourlyAlert, f.defaultOn) << "wake=" << f.text;
        EXPECT_EQ(weather.showWeather, f.defaultOff) << "weather=" << f.text;
    }

    const std::map<std::string, int> scales = {
        {"", 100},     {"abc", 100},  {"150%", 100}, {"1.5", 100},         {"100", 100},         {"150", 150},
        {"50", 50},    {"49", 50},    {"0", 50},     {"-150", 50},         {"300", 300},         {"301", 300},
        {"0x96", 150}, {"$12C", 300}, {"+200", 200}, {"99999999999", 300}, {"-99999999999", 50}, {"0xFFFFFFFF", 50},
    };
    for (const auto& [text, scale] : scales) {
        Settings read;
        OneKeyStore store("Scale", text);
        LoadSettings(store, read);
        EXPECT_EQ(read.scale, scale) << '"' << text << '"';
    }
}

TEST(ClockFace, TimeTextForEachFormatAtTheTurnsOfTheDay) {
    TimeFormat chinese; // 24-hour, ":" and no leading zero
    TimeFormat zeroed;  // Wine's zh_CN: HH:mm:ss
    zeroed.leadingZero = true;
    TimeFormat us;
    us.twelveHour = true;
    TimeFormat dotted;
    dotted.separator = ".";
    struct Row {
        int h, m, s;
        // ShowSeconds=1 Hour12=0 (the locale's own), ShowSeconds=0, Hour12=1, both.
        const char* text[4];
    };
    const struct {
        const TimeFormat& locale;
        std::vector<Row> rows;
    } locales[] = {
        {chinese,
         {
             {0, 0, 0, {"0:00:00", "0:00", "上午 12:00:00", "上午 12:00"}},
             {0, 5, 9, {"0:05:09", "0:05", "上午 12:05:09", "上午 12:05"}},
             {11, 59, 59, {"11:59:59", "11:59", "上午 11:59:59", "上午 11:59"}},
             {12, 0, 0, {"12:00:00", "12:00", "下午 12:00:00", "下午 12:00"}},
             {12, 30, 5, {"12:30:05", "12:30", "下午 12:30:05", "下午 12:30"}},
             {13, 5, 7, {"13:05:07", "13:05", "下午 1:05:07", "下午 1:05"}},
             {23, 59, 59, {"23:59:59", "23:59", "下午 11:59:59", "下午 11:59"}},
         }},
        {zeroed,
         {
             {0, 0, 0, {"00:00:00", "00:00", "上午 12:00:00", "上午 12:00"}},
             {9, 5, 7, {"09:05:07", "09:05", "上午 09:05:07", "上午 09:05"}},
             {12, 0, 1, {"12:00:01", "12:00", "下午 12:00:01", "下午 12:00"}},
         }},
        {us,
         {
             {0, 0, 0, {"12:00:00 AM", "12:00 AM", "上午 12:00:00", "上午 12:00"}},
             {12, 30, 5, {"12:30:05 PM", "12:30 PM", "下午 12:30:05", "下午 12:30"}},
         }},
        {dotted, {{12, 0, 0, {"12.00.00", "12.00", "下午 12.00.00", "下午 12.00"}}}},
    };
    const ClockFace faces[4] = {{true, false}, {false, false}, {true, true}, {false, true}};
    for (const auto& [locale, rows] : locales) {
        for (const Row& r : rows) {
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(FormatTimeText(ClockTimeFormat(locale, faces[k]), r.h, r.m, r.s), Gbk(r.text[k]))
                    << r.h << ":" << r.m << ":" << r.s << " seconds " << faces[k].showSeconds << " hour12 "
                    << faces[k].hour12;
        }
    }

    // At the defaults the text is byte for byte the locale's, all day long.
    for (const TimeFormat* locale : {&chinese, &zeroed, &us, &dotted})
        for (int h = 0; h < 24; ++h)
            EXPECT_EQ(FormatTimeText(ClockTimeFormat(*locale, ClockFace{}), h, 7, 59),
                      FormatTimeText(*locale, h, 7, 59));
}

TEST(ClockFace, DateLine) {
    struct Case {
        int y, m, d;
        bool lunar;
        const char* line;
    };
    const Case cases[] = {
        {2026, 12, 7, false, "12月7日 星期一"},
        {2026, 12, 7, true, "12月7日 星期一 十月廿九"},
        {2026, 2, 17, true, "2月17日 星期二 正月初一"},
        {2025, 7, 25, true, "7月25日 星期五 闰六月初一"},
        {2101, 1, 1, true, "1月1日 星期六"}, // beyond the Chinese calendar's years
    };
    for (const Case& c : cases)
        EXPECT_EQ(DateLineText(c.y, c.m, c.d, c.lunar, ToGbk), Gbk(c.line)) << c.line;

    const std::string date = Gbk("12月7日 星期一");
    EXPECT_EQ(ClockWindowText("9:05:07", ""), "9:05:07");
    EXPECT_EQ(ClockWindowText("9:05:07", date), "9:05:07 " + date);
}

TEST(ClockFace, SizeFollowsScaleAndResolutionTogether) {
    auto face = [](int scale, bool date = false, bool hour12 = false, bool seconds = true) {
        return ClockFace{seconds, hour12, date, scale};
    };
    struct Case {
        int monitorDpi;
        ClockFace face;
        ClockLayout layout; // dpi, width, height, time band, time em, date em, date origin
    };
    const Case cases[] = {
        {96, face(100), {96, 230, 55, 55, 38, 0, 0, 0}},
        {96, face(150), {144, 345, 83, 83, 57, 0, 0, 0}},
        {96, face(50), {48, 115, 28, 28, 19, 0, 0, 0}},
        {96, face(300), {288, 690, 165, 165, 114, 0, 0, 0}},
        {144, face(100), {144, 345, 83, 83, 57, 0, 0, 0}},   // the monitor's 150 % is Scale=150's
        {144, face(150), {216, 518, 124, 124, 86, 0, 0, 0}}, // 1.5 x 1.5, scaled once
        {120, face(125), {150, 359, 86, 86, 59, 0, 0, 0}},
        {96, face(110), {106, 254, 61, 61, 42, 0, 0, 0}}, // 105.6 dpi, to the nearest
        {96, face(49), {48, 115, 28, 28, 19, 0, 0, 0}},   // held to 50
        {96, face(100, true), {96, 230, 79, 55, 38, 16, 10, 56}},
        {96, face(150, true), {144, 345, 119, 83, 57, 24, 15, 84}},
        {96, face(50, true), {48, 115, 40, 28, 19, 8, 5, 28}},
        {144, face(150, true), {216, 518, 178, 124, 86, 36, 23, 126}},
        {96, face(100, false, true), {96, 270, 55, 55, 38, 0, 0, 0}}, // room for 下午 before the seconds
        {96, face(100, false, true, false), {96, 230, 55, 55, 38, 0, 0, 0}},
        {96, face(150, true, true), {144, 405, 119, 83, 57, 24, 15, 84}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutClock(c.monitorDpi, c.face), c.layout)
            << c.monitorDpi << " dpi, " << c.face.scale << " %, date " << c.face.showDate << ", hour12 "
            << c.face.hour12 << ", seconds " << c.face.showSeconds;

    // At the defaults the clock is what the monitor's resolution alone makes of it.
    for (int dpi = 72; dpi <= 480; dpi += 12) {
        const ClockLayout l = LayoutClock(dpi, ClockFace{});
        EXPECT_EQ(l.dpi, dpi);
        EXPECT_EQ(l.width, ScaleForDpi(230, dpi));
        EXPECT_EQ(l.height, ScaleForDpi(55, dpi));
        EXPECT_EQ(l.timeEmSize, ScaleForDpi(38, dpi));
    }
}
