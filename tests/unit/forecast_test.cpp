#include "base/utf8.h"
#include "weather/airquality.h"
#include "weather/forecast.h"
#include "weather/geocode.h"
#include "net/json.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using namespace vemora;

namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(VEMORA_FIXTURES) + "/forecast/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsWholeUtf8(std::string_view s) {
    for (std::size_t at = 0; at < s.size(); at += Utf8CharLength(s, at))
        if (static_cast<unsigned char>(s[at]) >= 0x80 && Utf8SequenceLength(s, at) == 0)
            return false;
    return true;
}

// A body as the service sends it, with its current values given.
std::string ForecastBody(const std::string& current, const std::string& daily = R"({"weather_code":[3,61],
    "temperature_2m_max":[20.1,17.3],"temperature_2m_min":[9.8,11.2]})") {
    return R"({"latitude":28.2,"current_units":{"wind_speed_10m":"km/h"},"current":)" + current + R"(,"daily":)" +
           daily + "}";
}

constexpr const char* kNginx502 = "<html>\r\n<head><title>502 Bad Gateway</title></head>\r\n<body>\r\n"
                                  "<center><h1>502 Bad Gateway</h1></center>\r\n<hr><center>nginx</center>\r\n"
                                  "</body>\r\n</html>\r\n";

} // namespace

TEST(ForecastJson, ReadsWhatTheAnswersHold) {
    const JsonResult r = ParseJson("\xEF\xBB\xBF"
                                   R"( {"s":"a\"\\\/\n\u00e9\u4E2D\ud83d\ude00","n":[-0.5e2,0,1E+2,true,false,null],
        "o":{"k":{"k":[[]]}},"k":1,"k":2,"lone":"\ud800x\udc00"} )");
    ASSERT_TRUE(r) << r.offset;
    EXPECT_EQ(*r.value["s"].Text(), "a\"\\/\n\u00e9\u4e2d\U0001F600");
    EXPECT_EQ(r.value["n"][0].FiniteNumber(), -50.0);
    EXPECT_EQ(r.value["n"][2].Integer(0, 100), 100);
    EXPECT_TRUE(r.value["n"][3].IsTrue());
    EXPECT_FALSE(r.value["n"][4].IsTrue());
    EXPECT_TRUE(r.value["n"][5].IsNull());
    EXPECT_TRUE(r.value["n"][6].IsNull()); // past the end
    EXPECT_EQ(r.value["o"]["k"]["k"][0].kind(), JsonValue::Kind::Array);
    EXPECT_EQ(r.value["k"].FiniteNumber(), 1.0); // the first of a repeated name
    EXPECT_EQ(*r.value["lone"].Text(), "\uFFFDx\uFFFD");
    EXPECT_TRUE(r.value["s"]["x"].IsNull()); // a member of a string
}

TEST(ForecastJson, BadBodiesGiveTypedErrors) {
    using E = JsonError;
    struct Case {
        const char* what;
        std::string text;
        JsonError error;
    };
    const std::string tenMegabytes = "[" + std::string(10u << 20, ' ') + "1]";
    std::string manyValues = "[0";
    for (int i = 0; i < 70000; ++i)
        manyValues += ",0";
    manyValues += "]";
    const Case cases[] = {
        {"empty", "", E::CutShort},
        {"cut in a member", R"({"a":)", E::CutShort},
        {"cut in an array", "[1,2", E::CutShort},
        {"cut in a string", R"({"a":"abc)", E::CutShort},
        {"cut in a word", R"({"a":tru)", E::CutShort},
        {"cut in a number", "[1.", E::CutShort},
        {"cut in an escape", R"(["\u12)", E::CutShort},
        {"cut in a character", "[\"\xE4\xB8", E::CutShort},
        {"a bare name", "{a:1}", E::Syntax},
        {"a comma too many", "[1,]", E::Syntax},
        {"a leading zero", "[01]", E::Syntax},
        {"two documents", "{} {}", E::Syntax},
        {"a misspelt word", "[nul]", E::Syntax},
        {"a raw line break in a string", "[\"a\nb\"]", E::BadText},
        {"an unknown escape", R"(["\x"])", E::BadText},
        {"bytes that are not UTF-8", "[\"\xC0\xAF\"]", E::BadText},
        {"10 MB", tenMegabytes, E::TooLarge},
        {"nested deeper than 64", std::string(65, '[') + std::string(65, ']'), E::TooDeep},
        {"a megabyte of brackets", std::string(1u << 20, '['), E::TooDeep},
        {"more than 65536 values", manyValues, E::TooManyValues},
    };
    for (const Case& c : cases) {
        const JsonResult r = ParseJson(c.text);
        EXPECT_EQ(r.error, c.error) << c.what;
        EXPECT_TRUE(r.value.IsNull()) << c.what;
    }
    EXPECT_TRUE(ParseJson(std::string(64, '[') + std::string(64, ']'))) << "64 deep is allowed";
    // A body cut anywhere, even inside a character, is cut short and nothing else.
    for (const char* name : {"forecast-beijing.json", "geocode-beijing.json"}) {
        const std::string whole = Fixture(name);
        const std::string body = whole.substr(0, whole.find_last_of('}') + 1);
        ASSERT_TRUE(ParseJson(body)) << name;
        for (std::size_t n = 0; n < body.size(); ++n)
            ASSERT_EQ(ParseJson(body.substr(0, n)).error, E::CutShort) << name << " cut at " << n;
    }
}

TEST(ForecastJson, NanLikeNumbersAreReadButNeverFinite) {
    const JsonResult r = ParseJson(R"([NaN, Infinity, -Infinity, 1e999, -1e999, 1e-999, 2.5])");
    ASSERT_TRUE(r);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_FALSE(r.value[i].FiniteNumber()) << i;
    EXPECT_EQ(r.value[5].FiniteNumber(), 0.0);
    EXPECT_EQ(r.value[6].Integer(0, 10), std::nullopt);
}

TEST(Forecast, AnswerGivesLineAndTooltip) {
    const ForecastAnswer a = ParseForecastAnswer(200, Fixture("forecast-beijing.json"));
    ASSERT_TRUE(a.forecast);
    const Forecast& f = *a.forecast;
    EXPECT_NEAR(*f.windKmh, 3.6 * 3.6, 1e-9) << "the answer gave m/s";
    EXPECT_EQ(ForecastLine("北京", f), "北京 多云 18℃ 10~20℃");
    EXPECT_EQ(ForecastTooltip(f), "体感温度：17℃\n风：西北风 3级\n湿度：41%\n今天：阴 10℃~20℃\n明天：小雨 11℃~17℃\n"
                                  "数据时间：2025-10-18 14:15\n天气数据：Open-Meteo.com");
}

// The next hours, sunrise and sunset from the forecast, the air from its own
// service: the line with the category when it fits, and the tooltip.
TEST(Forecast, RainSunAndAirInTheLineAndTheTooltip) {
    const Forecast f = *ParseForecastAnswer(200, Fixture("forecast-changsha.json")).forecast;
    const AirReading reading = *ParseAirQualityAnswer(200, Fixture("air-changsha.json")).reading;
    const std::optional<AirQuality> air = ComputeAqi(reading);
    const MeasureText measure = [](std::string_view s) { return static_cast<int>(s.size()); };
    const std::string line = ForecastLine("长沙", f);
    const StripLine wide = FitStripLine(line, air, "", 100, measure);
    EXPECT_EQ(wide.text, "长沙 多云 18℃ 10~20℃ 良");
    EXPECT_EQ(wide.text.substr(wide.markFrom, wide.markTo - wide.markFrom), "良");
    EXPECT_EQ(wide.markColour, AqiColour(82));
    const StripLine narrow = FitStripLine(line, air, "", static_cast<int>(line.size()), measure);
    EXPECT_EQ(narrow.text, line) << "the category goes first";
    EXPECT_EQ(narrow.markFrom, narrow.markTo);
    EXPECT_EQ(ForecastTooltip(f, AirQualityText(*air), kAirQualityCredit),
              "体感温度：17℃\n风：西北风 3级\n湿度：41%\n今天：小雨 10℃~20℃\n明天：小雨 11℃~17℃\n降水概率：今天 60%\n"
              "15时 19℃ 10%  18时 17℃ 40%  21时 15℃ 50%  00时 13℃ 10%\n日出 06:25 日落 17:58\n"
              "空气质量：良 82，首要污染物 PM2.5\n数据时间：2025-10-18 14:15\n天气数据：Open-Meteo.com\n"
              "空气质量数据：CAMS / Open-Meteo.com");

    // The umbrella: rain of 50 % or more within three hours while none falls.
    Forecast rainSoon = f;
    rainSoon.hours[3].rainChance = 50; // 17:00, within three hours of 14:15
    EXPECT_EQ(ForecastLine("长沙", rainSoon), "长沙 多云 ☂18℃ 10~20℃");
    Forecast raining = rainSoon;
    raining.code = 61;
    EXPECT_EQ(ForecastLine("长沙", raining), "长沙 小雨 18℃ 10~20℃");
    Forecast later = f;
    later.hours[4].rainChance = 90; // 18:00: more than three hours away
    EXPECT_EQ(ForecastLine("长沙", later), line);

    // Kept together in one file, under one checksum; a file without the air has none.
    KeptForecast kept{1760768100, "长沙", 28.2282, 112.9388, f};
    const std::string text = SerializeKeptForecast(kept, SerializeKeptAir({1760768105, reading}));
    const std::optional<KeptForecast> back = ParseKeptForecast(text);
    const std::optional<KeptAir> backAir = ParseKeptAir(text);
    ASSERT_TRUE(back && backAir);
    EXPECT_EQ(ForecastTooltip(back->forecast), ForecastTooltip(f));
    EXPECT_EQ(AirQualityText(*ComputeAqi(backAir->reading)), AirQualityText(*air));
    EXPECT_EQ(backAir->fetchedAt, 1760768105);
    const std::string before = SerializeKeptForecast(kept);
    ASSERT_TRUE(ParseKeptForecast(before));
    // A file cut inside the air's lines is refused whole.
    EXPECT_FALSE(ParseKeptForecast(text.substr(0, text.find("air.") + 8)));
    EXPECT_FALSE(ParseKeptAir(before));
}

TEST(Forecast, MissingAndOddValuesLeaveOutOnlyTheirPart) {
    struct Case {
        const char* what;
        std::string body;
        const char* line;
        const char* tooltip;
    };
    const Case cases[] = {
        {"only what a line needs", ForecastBody(R"({"temperature_2m":-0.4,"weather_code":0})", "null"), "长沙 晴 0℃",
         "天气数据：Open-Meteo.com"},
        {"nulls, NaN-likes and strings in the rest",
         ForecastBody(R"({"time":"later","temperature_2m":18.5,"weather_code":95,"apparent_temperature":NaN,
            "relative_humidity_2m":null,"wind_speed_10m":1e999,"wind_direction_10m":"N"})",
                      R"({"weather_code":[null],"temperature_2m_max":[20],"temperature_2m_min":[null]})"),
         "长沙 雷阵雨 19℃", "天气数据：Open-Meteo.com"},
        {"low above high is no range",
         ForecastBody(R"({"temperature_2m":5,"weather_code":3,"wind_speed_10m":0.5})",
                      R"({"temperature_2m_max":[1,2],"temperature_2m_min":[4,1]})"),
         "长沙 阴 5℃", "风：静风\n明天：1℃~2℃\n天气数据：Open-Meteo.com"},
        {"an unknown code", ForecastBody(R"({"temperature_2m":5,"weather_code":4})"), "长沙 天气未知 5℃ 10~20℃",
         "今天：阴 10℃~20℃\n明天：小雨 11℃~17℃\n天气数据：Open-Meteo.com"},
    };
    for (const Case& c : cases) {
        const ForecastAnswer a = ParseForecastAnswer(200, c.body);
        ASSERT_TRUE(a.forecast) << c.what;
        EXPECT_EQ(ForecastLine("长沙", *a.forecast), c.line) << c.what;
        EXPECT_EQ(ForecastTooltip(*a.forecast), c.tooltip) << c.what;
    }
}

TEST(Forecast, FailedAnswersAreTypedAndToldInChinese) {
    using P = AnswerProblem;
    struct Case {
        const char* what;
        int status;
        std::string body;
        AnswerProblem problem;
        const char* text;
    };
    const std::string sample = Fixture("forecast-beijing.json");
    const Case cases[] = {
        {"400", 400,
         R"({"error":true,"reason":"Cannot initialize WeatherVariable from invalid String value tempeture_2m for key hourly"})",
         P::Refused,
         "服务器 h 拒绝了请求（HTTP 400）：Cannot initialize WeatherVariable from invalid String value tempeture_2m "
         "for "
         "key hourly"},
        {"429 a minute", 429,
         R"({"error":true,"reason":"Minutely API request limit exceeded. Please try again in one minute."})",
         P::Refused,
         "服务器 h 的请求次数已达上限（HTTP 429）：Minutely API request limit exceeded. Please try again in one "
         "minute."},
        {"429 at once", 429, R"({"error":true,"reason":"Too many concurrent requests"})", P::Refused,
         "服务器 h 的请求次数已达上限（HTTP 429）：Too many concurrent requests"},
        {"a reason with a line break", 400, R"({"error":true,"reason":"a\nb"})", P::Refused,
         "服务器 h 拒绝了请求（HTTP 400）：a b"},
        {"502 from the proxy", 502, kNginx502, P::Status, "服务器 h 暂时无法提供服务（HTTP 502）"},
        {"404 with an answer", 404, sample, P::Status, "服务器 h 拒绝了请求（HTTP 404）"},
        {"HTML with 200", 200, kNginx502, P::Unreadable, "服务器 h 的应答无法识别"},
        {"cut short", 200, sample.substr(0, sample.size() / 2), P::Unreadable, "服务器 h 的应答无法识别"},
        {"10 MB", 200, "{\"x\":\"" + std::string(10u << 20, 'x') + "\"}", P::Unreadable, "服务器 h 的应答无法识别"},
        {"no current", 200, R"({"daily":{}})", P::Incomplete, "服务器 h 的应答缺少所需的数据"},
        {"a null temperature", 200, ForecastBody(R"({"temperature_2m":null,"weather_code":2})"), P::Incomplete, ""},
        {"NaN temperature", 200, ForecastBody(R"({"temperature_2m":NaN,"weather_code":2})"), P::Incomplete, ""},
        {"an infinite temperature", 200, ForecastBody(R"({"temperature_2m":-1e999,"weather_code":2})"), P::Incomplete,
         ""},
        {"a temperature in a string", 200, ForecastBody(R"({"temperature_2m":"18","weather_code":2})"), P::Incomplete,
         ""},
        {"a temperature beyond belief", 200, ForecastBody(R"({"temperature_2m":1e300,"weather_code":2})"),
         P::Incomplete, ""},
        {"no weather code", 200, ForecastBody(R"({"temperature_2m":18})"), P::Incomplete, ""},
        {"a weather code 2.5", 200, ForecastBody(R"({"temperature_2m":18,"weather_code":2.5})"), P::Incomplete, ""},
    };
    for (const Case& c : cases) {
        const ForecastAnswer a = ParseForecastAnswer(c.status, c.body);
        EXPECT_FALSE(a.forecast) << c.what;
        EXPECT_EQ(a.error.problem, c.problem) << c.what;
        EXPECT_EQ(a.error.status, c.status) << c.what;
        if (*c.text) {
            EXPECT_EQ(AnswerErrorText(a.error, "h"), c.text) << c.what;
        }
    }
    EXPECT_TRUE(ParseForecastAnswer(429, R"({"error":true})").error.RateLimited());
    const std::string longReason = R"({"error":true,"reason":")" + std::string(300, 'x') + "中\"}";
    EXPECT_LE(ParseForecastAnswer(400, longReason).error.reason.size(), 160u);
}

TEST(Forecast, ServiceBasesAndAddresses) {
    struct Case {
        const char* text;
        const char* base; // as written back, or nullptr when refused
        unsigned short port;
    };
    const Case cases[] = {
        {"https://api.open-meteo.com", "https://api.open-meteo.com", 443},
        {" HTTP://127.0.0.1:8080/ ", "http://127.0.0.1:8080", 8080},
        {"http://Example.com:80", "http://example.com", 80},
        {"https://[::1]:8443", "https://[::1]:8443", 8443},
        {"api.open-meteo.com", nullptr, 0},
        {"ftp://host", nullptr, 0},
        {"https://", nullptr, 0},
        {"https://host:0", nullptr, 0},
        {"https://host:65536", nullptr, 0},
        {"https://host:", nullptr, 0},
        {"https://host/v1", nullptr, 0},
        {"https://user@host", nullptr, 0},
        {"https://host?x=1", nullptr, 0},
        {"https://ho st", nullptr, 0},
        {"https://[::1", nullptr, 0},
    };
    for (const Case& c : cases) {
        const std::optional<ServiceBase> b = ParseServiceBase(c.text);
        ASSERT_EQ(b.has_value(), c.base != nullptr) << c.text;
        if (b) {
            EXPECT_EQ(b->Text(), c.base) << c.text;
            EXPECT_EQ(b->port, c.port) << c.text;
        }
    }
    const ServiceBase forecast = *ParseServiceBase(kDefaultForecastApi);
    EXPECT_EQ(ForecastUrl(forecast, 28.22823, -112.93881),
              "https://api.open-meteo.com/v1/forecast?latitude=28.2282&longitude=-112.9388&current=temperature_2m,"
              "apparent_temperature,relative_humidity_2m,weather_code,wind_speed_10m,wind_direction_10m&hourly="
              "temperature_2m,precipitation_probability,weather_code&daily=weather_code,temperature_2m_max,"
              "temperature_2m_min,precipitation_probability_max,sunrise,sunset&timezone=auto&forecast_days=2"
              "&forecast_hours=12");
    EXPECT_EQ(AirQualityUrl(*ParseServiceBase(kDefaultAirQualityApi), 28.22823, 112.93881),
              "https://air-quality-api.open-meteo.com/v1/air-quality?latitude=28.2282&longitude=112.9388&current="
              "pm2_5,pm10,ozone,nitrogen_dioxide,sulphur_dioxide,carbon_monoxide&timezone=auto");
    const ServiceBase local = *ParseServiceBase("http://127.0.0.1:8080");
    EXPECT_EQ(GeocodeUrl(local, "长沙"),
              "http://127.0.0.1:8080/v1/search?name=%E9%95%BF%E6%B2%99&count=10&language=zh&format=json");
    EXPECT_EQ(GeocodeUrl(local, "São Paulo&x=1"),
              "http://127.0.0.1:8080/v1/search?name=S%C3%A3o%20Paulo%26x%3D1&count=10&language=zh&format=json");
}

TEST(Forecast, CoordinatesFromTheSettings) {
    struct Case {
        const char* text;
        double limit;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"28.2282", 90, 28.2282},      {" -112.9388 ", 180, -112.9388}, {"90", 90, 90.0},
        {"90.0001", 90, std::nullopt}, {"-180.5", 180, std::nullopt},   {"28,2282", 90, std::nullopt},
        {"nan", 90, std::nullopt},     {"inf", 180, std::nullopt},      {"1e1", 90, std::nullopt},
        {"", 90, std::nullopt},        {"-", 90, std::nullopt},         {".5", 90, std::nullopt},
        {"1.2.3", 90, std::nullopt},   {"+1", 90, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCoordinate(c.text, c.limit), c.value) << c.text;
    EXPECT_EQ(FormatCoordinate(28.22826), "28.2283");
    EXPECT_EQ(FormatCoordinate(-0.00001), "0.0000");
    EXPECT_EQ(FormatCoordinate(-180), "-180.0000");
    EXPECT_TRUE(ValidCoordinates(-90, 180));
    EXPECT_FALSE(ValidCoordinates(91, 0));
    EXPECT_FALSE(ValidCoordinates(0, -181));
    EXPECT_FALSE(ValidCoordinates(NAN, 0));
}

TEST(Forecast, WindAndSkyWords) {
    const std::pair<double, int> beaufort[] = {{0, 0},    {0.7, 0},    {1.08, 1},   {5.4, 1}, {5.76, 2},
                                               {12.2, 3}, {117.0, 11}, {117.7, 12}, {400, 12}};
    for (const auto& [kmh, level] : beaufort)
        EXPECT_EQ(BeaufortOfKmh(kmh), level) << kmh;
    const std::pair<double, const char*> directions[] = {{0, "北"},     {22.4, "北"},  {22.5, "东北"},
                                                         {90, "东"},    {200, "南"},   {315, "西北"},
                                                         {359.9, "北"}, {-45, "西北"}, {720, "北"}};
    for (const auto& [deg, words] : directions)
        EXPECT_EQ(WindDirectionWords(deg), words) << deg;
    const std::pair<int, const char*> skies[] = {{0, "晴"},    {3, "阴"},      {45, "雾"},           {65, "大雨"},
                                                 {75, "大雪"}, {95, "雷阵雨"}, {99, "雷阵雨伴冰雹"}, {-1, "天气未知"}};
    for (const auto& [code, words] : skies)
        EXPECT_EQ(SkyWords(code), words) << code;
}

TEST(Forecast, LongLinesEndInAnEllipsisBetweenCharacters) {
    // Two units for a character beyond ASCII, one for the others.
    const MeasureText measure = [](std::string_view s) {
        int width = 0;
        for (std::size_t at = 0; at < s.size(); at += Utf8CharLength(s, at))
            width += static_cast<unsigned char>(s[at]) < 0x80 ? 1 : 2;
        return width;
    };
    struct Case {
        const char* text;
        const char* tail;
        int width;
        const char* fitted;
    };
    const Case cases[] = {
        {"长沙 多云 18℃ 10~20℃", "", 22, "长沙 多云 18℃ 10~20℃"},
        {"长沙 多云 18℃ 10~20℃", "", 21, "长沙 多云 18℃ 10~2…"},
        {"长沙 多云 18℃ 10~20℃", "", 12, "长沙 多云…"}, // no blank before the dots
        {"长沙 多云 18℃ 10~20℃", "", 9, "长沙 多…"},
        {"长沙 多云 18℃", "（3小时前）", 20, "长沙 多…（3小时前）"},
        {"长沙", "", 1, "…"},
        {"a👍🏽b", "", 5, "a…"},           // the skin tone stays with its hand
        {"x👨‍👩‍👧", "", 10, "x…"}, // a family joined by zero-width joiners
        {"ab\xFF\xFE", "", 4, "ab…"},          // stray bytes are characters of their own
    };
    for (const Case& c : cases) {
        const std::string fitted = FitLine(c.text, c.tail, c.width, measure);
        EXPECT_EQ(fitted, c.fitted) << c.text << " in " << c.width;
        EXPECT_LE(measure(fitted), std::max(c.width, measure(std::string("…") + c.tail))) << c.text;
    }
    for (int width = 0; width < 30; ++width)
        EXPECT_TRUE(IsWholeUtf8(FitLine("北京市 雷阵雨伴冰雹 -12℃ -20~-3℃", "", width, measure))) << width;
}

TEST(Forecast, KeptAnswerSurvivesOnlyWhole) {
    KeptForecast kept;
    kept.fetchedAt = 1760768100;
    kept.place = "长沙";
    kept.latitude = 28.2282;
    kept.longitude = 112.9388;
    kept.forecast = *ParseForecastAnswer(200, Fixture("forecast-beijing.json")).forecast;
    const std::string text = SerializeKeptForecast(kept);
    const std::optional<KeptForecast> back = ParseKeptForecast(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fetchedAt, kept.fetchedAt);
    EXPECT_EQ(back->place, "长沙");
    EXPECT_EQ(back->latitude, 28.2282);
    EXPECT_EQ(ForecastLine(back->place, back->forecast), ForecastLine(kept.place, kept.forecast));
    EXPECT_EQ(ForecastTooltip(back->forecast), ForecastTooltip(kept.forecast));
    EXPECT_TRUE(ParseKeptForecast("\r\n junk\n" + text + "unknown=1\n")) << "other lines are skipped";

    const auto without = [&](const std::string& key) {
        const std::size_t at = text.find("\n" + key + "=");
        return text.substr(0, at + 1) + text.substr(text.find('\n', at + 1) + 1);
    };
    const std::pair<const char*, std::string> broken[] = {
        {"empty", ""},
        {"garbage", "\x01\xFF=\xFE\n==\n"},
        {"cut before the code", text.substr(0, text.find("\ncode="))},
        {"no format line", text.substr(text.find('\n') + 1)},
        {"no place", without("place")},
        {"latitude out of range", without("latitude") + "latitude=95\n"},
        {"temperature nan", without("temperature") + "temperature=nan\n"},
        {"code 2.5", without("code") + "code=2.5\n"},
        {"fetched not whole", without("fetched") + "fetched=1.5\n"},
        {"too long", text + std::string(70000, '#')},
    };
    for (const auto& [what, body] : broken)
        EXPECT_FALSE(ParseKeptForecast(body)) << what;
}

// A kept file is used only whole, and only with a data time that exists.
TEST(Forecast, KeptFileCutAnywhereOrWithAnImpossibleTimeIsRefused) {
    KeptForecast kept;
    kept.fetchedAt = 1760768100;
    kept.place = "长沙";
    kept.latitude = 28.2282;
    kept.longitude = 112.9388;
    kept.forecast = *ParseForecastAnswer(200, Fixture("forecast-beijing.json")).forecast;
    const std::string text = SerializeKeptForecast(kept);
    for (std::size_t cut = 0; cut + 1 < text.size(); ++cut) // all but the last line break
        EXPECT_FALSE(ParseKeptForecast(text.substr(0, cut))) << "cut after " << cut << " bytes";
    EXPECT_TRUE(ParseKeptForecast(text.substr(0, text.size() - 1))) << "whole but for the last line break";

    const struct {
        const char* time;
        bool kept;
    } times[] = {
        {"2025-10-18T14:15", true},  {"2024-02-29T23:59", true},  {"2025-13-45T99:99", false},
        {"2025-02-29T10:00", false}, {"2025-04-31T10:00", false}, {"2025-10-18T24:00", false},
        {"2025-10-18T14:60", false}, {"2025-00-10T10:00", false},
    };
    for (const auto& t : times) {
        kept.forecast.time = t.time;
        EXPECT_EQ(ParseKeptForecast(SerializeKeptForecast(kept)).has_value(), t.kept) << t.time;
    }
}

TEST(Forecast, AgeOfTheKeptLine) {
    const std::int64_t t = 1760768100;
    const std::pair<std::int64_t, const char*> ages[] = {{-10, ""},
                                                         {0, ""},
                                                         {3600, ""},
                                                         {3601, "（1小时前）"},
                                                         {3 * 3600 + 5, "（3小时前）"},
                                                         {86399, "（23小时前）"},
                                                         {86400, "（1天前）"},
                                                         {10 * 86400, "（10天前）"}};
    for (const auto& [age, text] : ages)
        EXPECT_EQ(AgeText(t, t + age), text) << age;
}

TEST(Forecast, RefreshTimes) {
    for (std::uint64_t seed : {0ull, 1ull, 3539ull, 3540ull, 0xFFFFFFFFFFFFFFFFull}) {
        const int offset = RefreshSchedule(seed).OffsetInHour();
        EXPECT_GE(offset, 60) << seed;
        EXPECT_LT(offset, 3600) << seed;
    }
    const std::int64_t hour = 1760767200; // a whole hour
    RefreshSchedule s(1000);              // 60 + 1000 s into the hour: 17:40
    const std::int64_t at = hour + 1060;
    EXPECT_EQ(s.AfterSuccess(hour), at);
    EXPECT_EQ(s.AfterSuccess(at), at + 3600) << "the next one, not the one now";
    EXPECT_EQ(s.AfterSuccess(at - 1), at);
    for (int minutes : {1, 2, 4, 8, 16, 32, 60, 60})
        EXPECT_EQ(s.AfterFailure(hour, false), hour + minutes * 60) << minutes;
    s.AfterSuccess(hour);
    EXPECT_EQ(s.AfterFailure(hour + 5, false), hour + 5 + 60) << "a success starts the back-off again";
    EXPECT_EQ(s.AfterFailure(hour + 3599, true), hour + 3600 + 1060) << "429: after the next whole hour";
    EXPECT_EQ(s.AfterFailure(hour, true), hour + 3600 + 1060);
    EXPECT_EQ(RefreshSchedule::AfterResume(hour, 0), hour + 10);
    EXPECT_EQ(RefreshSchedule::AfterResume(hour, 20), hour + 30);
    EXPECT_EQ(RefreshSchedule::AfterResume(hour, 21), hour + 10);
    EXPECT_EQ(s.AtStart(hour + 2000, std::nullopt), hour + 2000);
    EXPECT_EQ(s.AtStart(hour + 2000, hour + 1500), hour + 3600 + 1060) << "fetched since the last offset";
    EXPECT_EQ(s.AtStart(hour + 2000, hour + 1000), hour + 2000) << "fetched before it";
    EXPECT_EQ(s.AtStart(hour + 2000, hour + 9000), hour + 2000) << "fetched in the future";
}

TEST(Geocode, AnswersAndPlaces) {
    const GeocodeAnswer beijing = ParseGeocodeAnswer(200, Fixture("geocode-beijing.json"));
    ASSERT_EQ(beijing.places.size(), 2u);
    EXPECT_EQ(PlaceLabel(beijing.places[0]), "北京（北京市，中国）");
    EXPECT_EQ(beijing.places[0].population, 18960744);
    EXPECT_FALSE(beijing.places[1].population);
    EXPECT_EQ(PlaceLabel(beijing.places[1]), "北京（重庆市，中国）");

    const GeocodeAnswer none = ParseGeocodeAnswer(200, R"({"generationtime_ms":0.5})");
    EXPECT_TRUE(none.places.empty());
    EXPECT_EQ(none.error.problem, AnswerProblem::None);
    EXPECT_EQ(PlaceNotFoundText("Xyz"), "找不到城市：Xyz");

    const GeocodeAnswer refused =
        ParseGeocodeAnswer(400, R"({"error":true,"reason":"Parameter count must be between 1 and 100."})");
    EXPECT_EQ(refused.error.problem, AnswerProblem::Refused);
    EXPECT_EQ(refused.error.reason, "Parameter count must be between 1 and 100.");
    EXPECT_EQ(ParseGeocodeAnswer(502, kNginx502).error.problem, AnswerProblem::Status);

    const GeocodeAnswer odd = ParseGeocodeAnswer(200, R"({"results":[
        {"name":"Zürich 🏙","latitude":47.37,"longitude":8.55,"country":"瑞士","population":-3},
        {"name":"far north","latitude":91,"longitude":0},
        {"name":"nowhere","latitude":null,"longitude":0},
        {"latitude":1,"longitude":1},
        {"name":"Ōsaka\u0007","latitude":34.69,"longitude":135.5,"admin1":"大阪府","country":"日本"}]})");
    ASSERT_EQ(odd.places.size(), 2u);
    EXPECT_EQ(PlaceLabel(odd.places[0]), "Zürich 🏙（瑞士）");
    EXPECT_FALSE(odd.places[0].population);
    EXPECT_EQ(PlaceLabel(odd.places[1]), "Ōsaka （大阪府，日本）");
}

TEST(Geocode, PickingAPlace) {
    using K = PlaceChoice::Kind;
    const auto place = [](const char* name, const char* country, const char* feature, std::optional<std::int64_t> pop) {
        return GeoPlace{.name = name, .countryCode = country, .featureCode = feature, .population = pop};
    };
    const GeoPlace capital = place("capital", "CN", "PPLC", 100), seat = place("seat", "CN", "PPLA", 5000000),
                   village = place("village", "CN", "PPL", std::nullopt), town = place("town", "CN", "PPL", 50000),
                   city = place("city", "CN", "PPLA2", 600000), abroad = place("abroad", "US", "PPL", 9000000);
    struct Case {
        const char* what;
        std::vector<GeoPlace> places;
        bool preferChina;
        PlaceChoice::Kind kind;
        const char* chosen;
    };
    const std::vector<GeoPlace> nine(9, town);
    const Case cases[] = {
        {"nothing", {}, false, K::NotFound, ""},
        {"the one", {village}, false, K::Chosen, "village"},
        {"the only capital", {village, town, capital}, false, K::Chosen, "capital"},
        {"ten times the next", {town, city, village}, false, K::Chosen, "city"},
        {"less than ten times", {city, place("big", "CN", "PPL", 100000)}, false, K::Ask, ""},
        {"two capitals, by population", {seat, capital}, false, K::Chosen, "seat"},
        {"no population at all", {village, village}, false, K::Ask, ""},
        {"many", nine, false, K::Ask, ""},
        {"pinyin: China first", {abroad, town, village}, true, K::Chosen, "town"},
        {"pinyin: largest in China", {village, town, city}, true, K::Chosen, "city"},
        {"pinyin: none in China", {place("elsewhere", "JP", "PPL", 10), abroad}, true, K::Chosen, "abroad"},
    };
    for (const Case& c : cases) {
        const PlaceChoice choice = PickPlace(c.places, c.preferChina);
        EXPECT_EQ(choice.kind, c.kind) << c.what;
        const std::size_t options = c.kind == K::Ask ? std::min(c.places.size(), kMaxPlaceOptions) : 0;
        EXPECT_EQ(choice.options.size(), options) << c.what;
        EXPECT_EQ(c.kind == K::Chosen ? choice.chosen.name : "", c.chosen) << c.what;
    }
}
