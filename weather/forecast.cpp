#include "weather/forecast.h"

#include "base/utf8.h"
#include "net/json.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>

namespace vemora {

namespace {

struct Range {
    double low, high;
    bool Holds(double v) const { return v >= low && v <= high; }
};
// What a reading may be before it is believed; anything else (a broken
// station, a unit mix-up, a hostile body) is left out rather than shown.
constexpr Range kTemperature{-100, 100};
constexpr Range kHumidity{0, 100};
constexpr Range kWindKmh{0, 500};
constexpr Range kDirection{0, 360};
constexpr Range kPercent{0, 100};

// Hours of the next hours kept from an answer: it is asked for twelve.
constexpr std::size_t kMaxHours = 24;

constexpr int kMaxWmoCode = 99;
constexpr std::size_t kMaxReasonBytes = 160;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<double> ReadDouble(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> Within(std::optional<double> v, Range range) {
    return v && range.Holds(*v) ? v : std::nullopt;
}

std::string Degrees(double celsius) {
    return std::to_string(std::lround(celsius)) + "℃";
}

// Minutes since 1970 of a data time ("2025-10-18T14:15"), for comparing and
// stepping; the calendar is the proleptic Gregorian one.
std::int64_t MinutesOf(std::string_view t) {
    const auto field = [t](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v = v * 10 + (t[at + i] - '0');
        return v;
    };
    int y = field(0, 4);
    const int m = field(5, 2), d = field(8, 2);
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
    return days * 1440 + field(11, 2) * 60 + field(14, 2);
}

// Rain, drizzle, snow, showers or a thunderstorm now.
bool Falling(int code) {
    return code >= 50;
}

std::string Percent(double v) {
    return std::to_string(std::lround(v)) + "%";
}

void KeepRangeIfWhole(DayForecast& day) {
    if (!day.low || !day.high || *day.low > *day.high)
        day.low = day.high = std::nullopt;
}

// The wind speed in km/h from a speed in the unit the answer names; the
// service gives km/h unless asked otherwise.
std::optional<double> Kmh(std::optional<double> speed, const std::string* unit) {
    if (!speed)
        return std::nullopt;
    if (!unit || *unit == "km/h")
        return Within(speed, kWindKmh);
    if (*unit == "m/s")
        return Within(*speed * 3.6, kWindKmh);
    if (*unit == "mph")
        return Within(*speed * 1.609344, kWindKmh);
    if (*unit == "kn")
        return Within(*speed * 1.852, kWindKmh);
    return std::nullopt;
}

std::string RangeText(const DayForecast& day) {
    return std::to_string(std::lround(*day.low)) + "~" + Degrees(*day.high);
}

// Where a text may be cut: before any character but one that belongs to the
// one before it (a combining mark, a variation selector, an emoji's skin tone,
// either side of a zero-width joiner).
bool JoinsPrevious(char32_t c, char32_t previous) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0x1F3FB && c <= 0x1F3FF) ||
           (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200D || previous == 0x200D;
}

} // namespace

bool IsDataTime(std::string_view t) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd";
    if (t.size() != kShape.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (kShape[i] == 'd' ? !(t[i] >= '0' && t[i] <= '9') : t[i] != kShape[i])
            return false;
    const auto field = [t](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (t[i] - '0');
        return value;
    };
    const int year = field(0, 4), month = field(5, 2), day = field(8, 2);
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || field(11, 2) > 23 || field(14, 2) > 59)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

std::string Number(double v) {
    char buffer[32] = "0";
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", v); // 40, not 4e+01
        return buffer;
    }
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, v);
        if (std::strtod(buffer, nullptr) == v)
            break;
    }
    return buffer;
}

std::string ServiceBase::Text() const {
    const unsigned short defaultPort = Secure() ? 443 : 80;
    return scheme + "://" + host + (port != defaultPort ? ":" + std::to_string(port) : std::string());
}

std::optional<ServiceBase> ParseServiceBase(std::string_view text) {
    text = Trim(text);
    const std::size_t colon = text.find("://");
    if (colon == std::string_view::npos)
        return std::nullopt;
    ServiceBase base;
    for (char c : text.substr(0, colon))
        base.scheme += Lower(c);
    if (base.scheme != "http" && base.scheme != "https")
        return std::nullopt;
    std::string_view rest = text.substr(colon + 3);
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);

    std::size_t hostEnd = 0;
    if (!rest.empty() && rest.front() == '[') {
        hostEnd = rest.find(']');
        if (hostEnd == std::string_view::npos || hostEnd < 3)
            return std::nullopt;
        for (char c : rest.substr(1, hostEnd - 1))
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
                return std::nullopt;
        ++hostEnd;
    } else {
        hostEnd = rest.find(':');
        if (hostEnd == std::string_view::npos)
            hostEnd = rest.size();
        if (hostEnd == 0 || hostEnd > 253)
            return std::nullopt;
        for (char c : rest.substr(0, hostEnd))
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.')
                return std::nullopt;
    }
    for (char c : rest.substr(0, hostEnd))
        base.host += Lower(c);

    base.port = base.Secure() ? 443 : 80;
    if (hostEnd < rest.size()) {
        const std::string_view port = rest.substr(hostEnd + 1);
        if (rest[hostEnd] != ':' || port.empty() || port.size() > 5)
            return std::nullopt;
        unsigned value = 0;
        for (char c : port) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value == 0 || value > 65535)
            return std::nullopt;
        base.port = static_cast<unsigned short>(value);
    }
    return base;
}

std::string ForecastUrl(const ServiceBase& base, double latitude, double longitude) {
    return base.Text() + "/v1/forecast?latitude=" + FormatCoordinate(latitude) +
           "&longitude=" + FormatCoordinate(longitude) +
           "&current=temperature_2m,apparent_temperature,relative_humidity_2m,weather_code,wind_speed_10m,"
           "wind_direction_10m&hourly=temperature_2m,precipitation_probability,weather_code"
           "&daily=weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max,sunrise,sunset"
           "&timezone=auto&forecast_days=2&forecast_hours=12";
}

std::string GeocodeUrl(const ServiceBase& base, std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : name) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[b >> 4];
            encoded += kHex[b & 15];
        }
    }
    return base.Text() + "/v1/search?name=" + encoded + "&count=10&language=zh&format=json";
}

std::string AnswerErrorText(const AnswerError& error, std::string_view host) {
    const std::string server = "服务器 " + std::string(host);
    const std::string reason = error.reason.empty() ? std::string() : "：" + error.reason;
    switch (error.problem) {
    case AnswerProblem::None:
        break;
    case AnswerProblem::Status:
    case AnswerProblem::Refused: {
        const std::string status = "（HTTP " + std::to_string(error.status) + "）";
        if (error.RateLimited())
            return server + " 的请求次数已达上限" + status + reason;
        if (error.status >= 500)
            return server + " 暂时无法提供服务" + status + reason;
        if (error.problem == AnswerProblem::Refused || error.status >= 400)
            return server + " 拒绝了请求" + status + reason;
        return server + " 返回 HTTP 状态 " + std::to_string(error.status);
    }
    case AnswerProblem::Unreadable:
        return server + " 的应答无法识别";
    case AnswerProblem::Incomplete:
        return server + " 的应答缺少所需的数据";
    }
    return {};
}

// The service's error answers, {"error":true,"reason":"..."}, come with any
// status (400 for a bad request, 429 over the limits); other bodies of a
// status that is not 2xx (a proxy's HTML page) are not read.
std::optional<AnswerError> ErrorOfAnswer(int status, const JsonResult& json) {
    AnswerError error;
    error.status = status;
    if (json && json.value["error"].IsTrue()) {
        error.problem = AnswerProblem::Refused;
        if (const std::string* reason = json.value["reason"].Text())
            error.reason = Utf8OneLine(*reason, kMaxReasonBytes);
        return error;
    }
    if (status < 200 || status > 299) {
        error.problem = AnswerProblem::Status;
        return error;
    }
    if (!json) {
        error.problem = AnswerProblem::Unreadable;
        return error;
    }
    return std::nullopt;
}

ForecastAnswer ParseForecastAnswer(int status, std::string_view body) {
    ForecastAnswer answer;
    const JsonResult json = ParseJson(body);
    if (TakeAnswerError(status, json, answer))
        return answer;
    const JsonValue& now = json.value["current"];
    const std::optional<double> temperature = Within(now["temperature_2m"].FiniteNumber(), kTemperature);
    const std::optional<long long> code = now["weather_code"].Integer(0, kMaxWmoCode);
    if (!temperature || !code) {
        answer.error = {AnswerProblem::Incomplete, status, {}};
        return answer;
    }
    Forecast f;
    f.temperature = *temperature;
    f.code = static_cast<int>(*code);
    f.feelsLike = Within(now["apparent_temperature"].FiniteNumber(), kTemperature);
    f.humidity = Within(now["relative_humidity_2m"].FiniteNumber(), kHumidity);
    f.windKmh = Kmh(now["wind_speed_10m"].FiniteNumber(), json.value["current_units"]["wind_speed_10m"].Text());
    f.windFromDeg = Within(now["wind_direction_10m"].FiniteNumber(), kDirection);
    if (const std::string* time = now["time"].Text(); time && IsDataTime(*time))
        f.time = *time;
    const JsonValue& daily = json.value["daily"];
    DayForecast* days[] = {&f.today, &f.tomorrow};
    for (std::size_t i = 0; i < 2; ++i) {
        DayForecast& day = *days[i];
        if (const std::optional<long long> c = daily["weather_code"][i].Integer(0, kMaxWmoCode))
            day.code = static_cast<int>(*c);
        day.low = Within(daily["temperature_2m_min"][i].FiniteNumber(), kTemperature);
        day.high = Within(daily["temperature_2m_max"][i].FiniteNumber(), kTemperature);
        KeepRangeIfWhole(day);
        day.rainChance = Within(daily["precipitation_probability_max"][i].FiniteNumber(), kPercent);
        if (const std::string* t = daily["sunrise"][i].Text(); t && IsDataTime(*t))
            day.sunrise = *t;
        if (const std::string* t = daily["sunset"][i].Text(); t && IsDataTime(*t))
            day.sunset = *t;
    }
    const JsonValue& hourly = json.value["hourly"];
    for (std::size_t i = 0; i < std::min(hourly["time"].Size(), kMaxHours); ++i) {
        const std::string* time = hourly["time"][i].Text();
        if (!time || !IsDataTime(*time) || (!f.hours.empty() && MinutesOf(*time) <= MinutesOf(f.hours.back().time)))
            continue;
        f.hours.push_back({*time, Within(hourly["temperature_2m"][i].FiniteNumber(), kTemperature),
                           Within(hourly["precipitation_probability"][i].FiniteNumber(), kPercent)});
    }
    answer.forecast = std::move(f);
    return answer;
}

std::string SkyWords(int code) {
    struct Sky {
        int code;
        const char* words;
    };
    // WMO code table 4677 as the service uses it, in the words of Chinese forecasts.
    static constexpr Sky kSkies[] = {
        {0, "晴"},        {1, "大部晴朗"},      {2, "多云"},          {3, "阴"},        {45, "雾"},
        {48, "冻雾"},     {51, "小毛毛雨"},     {53, "毛毛雨"},       {55, "大毛毛雨"}, {56, "冻毛毛雨"},
        {57, "冻毛毛雨"}, {61, "小雨"},         {63, "中雨"},         {65, "大雨"},     {66, "冻雨"},
        {67, "冻雨"},     {71, "小雪"},         {73, "中雪"},         {75, "大雪"},     {77, "米雪"},
        {80, "小阵雨"},   {81, "阵雨"},         {82, "强阵雨"},       {85, "阵雪"},     {86, "强阵雪"},
        {95, "雷阵雨"},   {96, "雷阵雨伴冰雹"}, {99, "雷阵雨伴冰雹"},
    };
    for (const Sky& s : kSkies)
        if (s.code == code)
            return s.words;
    return "天气未知";
}

std::string ForecastLine(std::string_view place, const Forecast& forecast) {
    std::string line = Utf8OneLine(Trim(place), 256);
    if (!line.empty())
        line += ' ';
    line += SkyWords(forecast.code) + " " + (RainDueSoon(forecast) ? kRainMark : "") + Degrees(forecast.temperature);
    if (forecast.today.low)
        line += " " + RangeText(forecast.today);
    return line;
}

bool RainDueSoon(const Forecast& forecast) {
    if (forecast.time.empty() || Falling(forecast.code))
        return false;
    const std::int64_t now = MinutesOf(forecast.time);
    for (const HourForecast& hour : forecast.hours) {
        const std::int64_t begins = MinutesOf(hour.time);
        if (begins > now - 60 && begins <= now + 180 && hour.rainChance && *hour.rainChance >= 50)
            return true;
    }
    return false;
}

int BeaufortOfKmh(double kmh) {
    // The scale's lower limits in m/s, levels 1 to 12, compared at 0.1 m/s as
    // the scale is written.
    static constexpr double kLimits[] = {0.3, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7};
    const double ms = std::round(kmh / 3.6 * 10) / 10;
    int level = 0;
    for (double limit : kLimits)
        level += ms >= limit - 1e-9;
    return level;
}

std::string WindDirectionWords(double fromDegrees) {
    static constexpr const char* kPoints[] = {"北", "东北", "东", "东南", "南", "西南", "西", "西北"};
    double d = std::fmod(fromDegrees, 360.0);
    if (d < 0)
        d += 360;
    return kPoints[static_cast<int>((d + 22.5) / 45) % 8];
}

std::string ForecastTooltip(const Forecast& f, std::string_view moreLines, std::string_view moreCredit) {
    std::string tip;
    const auto line = [&tip](const std::string& text) { tip += text + "\n"; };
    if (f.feelsLike)
        line("体感温度：" + Degrees(*f.feelsLike));
    if (f.windKmh) {
        const int level = BeaufortOfKmh(*f.windKmh);
        if (level == 0)
            line("风：静风");
        else
            line("风：" + (f.windFromDeg ? WindDirectionWords(*f.windFromDeg) + "风 " : std::string()) +
                 std::to_string(level) + "级");
    }
    if (f.humidity)
        line("湿度：" + std::to_string(std::lround(*f.humidity)) + "%");
    const auto day = [&](const char* name, const DayForecast& d) {
        if (!d.code && !d.low)
            return;
        std::string text = std::string(name) + "：";
        if (d.code)
            text += SkyWords(*d.code);
        if (d.low) // every temperature of the tip carries its unit, the low one too
            text += (d.code ? " " : "") + Degrees(*d.low) + "~" + Degrees(*d.high);
        line(text);
    };
    day("今天", f.today);
    day("明天", f.tomorrow);
    if (f.today.rainChance)
        line("降水概率：今天 " + Percent(*f.today.rainChance));
    // The hours after the data's own, every third: 15时 19℃ 10%  18时 ...
    std::string hours;
    int step = 0;
    for (const HourForecast& hour : f.hours) {
        if ((!f.time.empty() && MinutesOf(hour.time) <= MinutesOf(f.time)) || step++ % 3 != 0)
            continue;
        std::string text = hour.time.substr(11, 2) + "时";
        if (hour.temperature)
            text += " " + Degrees(*hour.temperature);
        if (hour.rainChance)
            text += " " + Percent(*hour.rainChance);
        hours += (hours.empty() ? "" : "  ") + text;
    }
    if (!hours.empty())
        line(hours);
    if (!f.today.sunrise.empty() || !f.today.sunset.empty()) {
        std::string sun;
        if (!f.today.sunrise.empty())
            sun = "日出 " + f.today.sunrise.substr(11);
        if (!f.today.sunset.empty())
            sun += (sun.empty() ? "" : " ") + std::string("日落 ") + f.today.sunset.substr(11);
        line(sun);
    }
    if (!moreLines.empty())
        line(std::string(moreLines));
    if (!f.time.empty())
        line("数据时间：" + f.time.substr(0, 10) + " " + f.time.substr(11));
    return tip + kForecastCredit + (moreCredit.empty() ? "" : "\n" + std::string(moreCredit));
}

std::string FitLine(std::string_view text, std::string_view tail, int maxWidth, const MeasureText& measure) {
    std::string whole = std::string(text) + std::string(tail);
    if (measure(whole) <= maxWidth)
        return whole;
    // The places where the text may be cut, in bytes from its start.
    std::vector<std::size_t> cuts{0};
    char32_t previous = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = Utf8CodePoint(text, at);
        if (at > 0 && !JoinsPrevious(c, previous))
            cuts.push_back(at);
        previous = c;
        at += Utf8CharLength(text, at);
    }
    const auto cutAt = [&](std::size_t i) {
        std::string_view kept = text.substr(0, cuts[i]);
        while (!kept.empty() && kept.back() == ' ')
            kept.remove_suffix(1);
        return std::string(kept) + "…" + std::string(tail);
    };
    // The widest cut that fits: widths grow with the text kept.
    std::size_t fits = 0, tooWide = cuts.size();
    while (tooWide - fits > 1) {
        const std::size_t mid = (fits + tooWide) / 2;
        (measure(cutAt(mid)) <= maxWidth ? fits : tooWide) = mid;
    }
    return cutAt(fits);
}

std::string AgeText(std::int64_t fetchedAt, std::int64_t now) {
    const std::int64_t age = now - fetchedAt;
    if (age <= 3600)
        return {};
    if (age < 86400)
        return "（" + std::to_string(age / 3600) + "小时前）";
    return "（" + std::to_string(age / 86400) + "天前）";
}

namespace {

// Version 2 ends with a checksum line: a file cut short, at any byte, is
// refused instead of giving a line made of what was left.
constexpr std::string_view kKeptFormat = "vemora-forecast=2";
constexpr std::string_view kKeptEnd = "end=";
constexpr std::size_t kMaxKeptBytes = 64 * 1024;

// FNV-1a, as eight lower-case hexadecimal digits.
std::string KeptChecksum(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(hash));
    return text;
}

// The lines from the format line to the end line, when the checksum there
// is theirs; lines before and after them are not the program's.
std::optional<std::string_view> WholeKeptBody(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && text.compare(start, kKeptFormat.size(), kKeptFormat) != 0)
        start = std::min(text.find('\n', start), text.size() - 1) + 1;
    const std::size_t end = text.find("\n" + std::string(kKeptEnd), start);
    if (start >= text.size() || end == std::string_view::npos)
        return std::nullopt;
    const std::string_view body = text.substr(start, end + 1 - start);
    std::string_view sum = text.substr(end + 1 + kKeptEnd.size());
    sum = sum.substr(0, sum.find('\n'));
    if (!sum.empty() && sum.back() == '\r')
        sum.remove_suffix(1);
    if (sum != KeptChecksum(body))
        return std::nullopt;
    return body;
}

} // namespace

std::string SerializeKeptForecast(const KeptForecast& kept, std::string_view moreLines) {
    std::string out = std::string(kKeptFormat) + "\n";
    const auto put = [&out](std::string_view key, const std::string& value) {
        out += std::string(key) + "=" + value + "\n";
    };
    const auto putNumber = [&put](std::string_view key, std::optional<double> v) {
        if (v)
            put(key, Number(*v));
    };
    const Forecast& f = kept.forecast;
    put("fetched", std::to_string(kept.fetchedAt));
    put("place", Utf8OneLine(kept.place, 256));
    put("latitude", FormatCoordinate(kept.latitude));
    put("longitude", FormatCoordinate(kept.longitude));
    put("temperature", Number(f.temperature));
    put("code", std::to_string(f.code));
    putNumber("feels", f.feelsLike);
    putNumber("humidity", f.humidity);
    putNumber("wind", f.windKmh);
    putNumber("winddir", f.windFromDeg);
    if (!f.time.empty())
        put("time", f.time);
    const std::pair<const char*, const DayForecast*> days[] = {{"today", &f.today}, {"tomorrow", &f.tomorrow}};
    for (const auto& [name, day] : days) {
        if (day->code)
            put(std::string(name) + ".code", std::to_string(*day->code));
        putNumber(std::string(name) + ".low", day->low);
        putNumber(std::string(name) + ".high", day->high);
        putNumber(std::string(name) + ".rain", day->rainChance);
        if (!day->sunrise.empty())
            put(std::string(name) + ".sunrise", day->sunrise);
        if (!day->sunset.empty())
            put(std::string(name) + ".sunset", day->sunset);
    }
    for (std::size_t i = 0; i < f.hours.size(); ++i) {
        const std::string key = "hour" + std::to_string(i);
        put(key + ".time", f.hours[i].time);
        putNumber(key + ".temperature", f.hours[i].temperature);
        putNumber(key + ".rain", f.hours[i].rainChance);
    }
    out += moreLines;
    return out + std::string(kKeptEnd) + KeptChecksum(out) + "\n";
}

std::optional<KeptForecast> ParseKeptForecast(std::string_view text) {
    if (text.size() > kMaxKeptBytes)
        return std::nullopt;
    const std::optional<std::string_view> body = WholeKeptBody(text);
    if (!body)
        return std::nullopt;
    text = *body;
    std::map<std::string, std::string, std::less<>> values;
    bool formatSeen = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line == kKeptFormat)
            formatSeen = true;
        else if (const std::size_t eq = line.find('='); eq != std::string_view::npos)
            values[std::string(line.substr(0, eq))] = std::string(line.substr(eq + 1));
    }
    const auto number = [&](std::string_view key, Range range) -> std::optional<double> {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : Within(ReadDouble(it->second), range);
    };
    const auto code = [&](std::string_view key) -> std::optional<int> {
        const std::optional<double> c = number(key, {0, kMaxWmoCode});
        return c && *c == std::floor(*c) ? std::optional<int>(static_cast<int>(*c)) : std::nullopt;
    };
    const std::optional<double> fetched = number("fetched", {0, 1e13});
    const std::optional<double> latitude = number("latitude", {-90, 90});
    const std::optional<double> longitude = number("longitude", {-180, 180});
    const std::optional<double> temperature = number("temperature", kTemperature);
    const std::optional<int> nowCode = code("code");
    const auto place = values.find("place");
    if (!formatSeen || !fetched || *fetched != std::floor(*fetched) || !latitude || !longitude || !temperature ||
        !nowCode || place == values.end())
        return std::nullopt;

    KeptForecast kept;
    kept.fetchedAt = static_cast<std::int64_t>(*fetched);
    kept.place = Utf8OneLine(place->second, 256);
    kept.latitude = *latitude;
    kept.longitude = *longitude;
    Forecast& f = kept.forecast;
    f.temperature = *temperature;
    f.code = *nowCode;
    f.feelsLike = number("feels", kTemperature);
    f.humidity = number("humidity", kHumidity);
    f.windKmh = number("wind", kWindKmh);
    f.windFromDeg = number("winddir", kDirection);
    if (const auto time = values.find("time"); time != values.end()) {
        if (!IsDataTime(time->second))
            return std::nullopt; // written by no program of ours
        f.time = time->second;
    }
    const std::pair<const char*, DayForecast*> days[] = {{"today", &f.today}, {"tomorrow", &f.tomorrow}};
    for (const auto& [name, day] : days) {
        day->code = code(std::string(name) + ".code");
        day->low = number(std::string(name) + ".low", kTemperature);
        day->high = number(std::string(name) + ".high", kTemperature);
        KeepRangeIfWhole(*day);
        day->rainChance = number(std::string(name) + ".rain", kPercent);
        const auto time = [&](const std::string& key) {
            const auto it = values.find(key);
            return it != values.end() && IsDataTime(it->second) ? it->second : std::string();
        };
        day->sunrise = time(std::string(name) + ".sunrise");
        day->sunset = time(std::string(name) + ".sunset");
    }
    // A file written before the next hours were kept simply has none.
    for (std::size_t i = 0; i < kMaxHours; ++i) {
        const std::string key = "hour" + std::to_string(i);
        const auto time = values.find(key + ".time");
        if (time == values.end() || !IsDataTime(time->second))
            break;
        f.hours.push_back({time->second, number(key + ".temperature", kTemperature), number(key + ".rain", kPercent)});
    }
    return kept;
}

namespace {

constexpr std::int64_t kHour = 3600;

std::int64_t HourStart(std::int64_t t) {
    return (t >= 0 ? t : t - (kHour - 1)) / kHour * kHour;
}

} // namespace

RefreshSchedule::RefreshSchedule(std::uint64_t seed) : offset_(static_cast<int>(60 + seed % (kHour - 60))) {}

std::int64_t RefreshSchedule::NextOffsetAfter(std::int64_t t) const {
    const std::int64_t inThisHour = HourStart(t) + offset_;
    return inThisHour > t ? inThisHour : inThisHour + kHour;
}

std::int64_t RefreshSchedule::AfterSuccess(std::int64_t now) {
    failures_ = 0;
    return NextOffsetAfter(now);
}

std::int64_t RefreshSchedule::AfterFailure(std::int64_t now, bool rateLimited) {
    const int minutes = std::min(60, 1 << std::min(failures_, 6));
    failures_ = std::min(failures_ + 1, 16);
    if (rateLimited)
        return HourStart(now) + kHour + offset_;
    return now + minutes * 60;
}

std::int64_t RefreshSchedule::AfterResume(std::int64_t now, std::uint32_t random) {
    return now + 10 + random % 21;
}

std::int64_t RefreshSchedule::AtStart(std::int64_t now, std::optional<std::int64_t> keptFetchedAt) const {
    const std::int64_t lastPassed = NextOffsetAfter(now) - kHour;
    if (keptFetchedAt && *keptFetchedAt > lastPassed && *keptFetchedAt <= now)
        return NextOffsetAfter(now);
    return now;
}

} // namespace vemora
