#pragma once
#include "base/coordinate.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

// The key-free forecast service (Open-Meteo): its addresses, its answers, the
// strip's line and tooltip, the kept last answer and when to ask again.
// All text here, in and out, is UTF-8.
namespace vemora {

inline constexpr const char* kDefaultForecastApi = "https://api.open-meteo.com";
inline constexpr const char* kDefaultGeocodeApi = "https://geocoding-api.open-meteo.com";

// Where a service is: "scheme://host[:port]" of the ForecastApi and
// GeocodeApi settings. The scheme is http or https, in lower case.
struct ServiceBase {
    std::string scheme;
    std::string host;
    unsigned short port = 0;
    bool Secure() const { return scheme == "https"; }
    // "https://host", with ":port" only when it is not the scheme's default.
    std::string Text() const;
};

// Reads "http://host", "https://host:8443" and the like, blanks around it and
// one closing '/' allowed. A host is a name of letters, digits, '-' and '.',
// or an IPv6 address in brackets; a port 1..65535. Nothing else: no user, path,
// query or other scheme.
std::optional<ServiceBase> ParseServiceBase(std::string_view text);

// {base}/v1/forecast?latitude=..&longitude=..&current=..&hourly=..&daily=..&timezone=auto&forecast_days=2
// &forecast_hours=12
std::string ForecastUrl(const ServiceBase& base, double latitude, double longitude);
// {base}/v1/search?name=<the name, UTF-8, percent-encoded>&count=10&language=zh&format=json
std::string GeocodeUrl(const ServiceBase& base, std::string_view name);

// "2025-10-18T14:15", the form the service gives the time of its data in,
// and a time that exists: 2025-13-45T99:99 has the form and is no time.
bool IsDataTime(std::string_view t);

// Why an answer gave nothing to show.
enum class AnswerProblem {
    None,
    Status,     // not 2xx, and no reason given
    Refused,    // the service's {"error":true,"reason":...}, with any status
    Unreadable, // not JSON, cut short, or too large
    Incomplete, // JSON, but without what a line needs
};

struct AnswerError {
    AnswerProblem problem = AnswerProblem::None;
    int status = 0;     // the HTTP status
    std::string reason; // the service's reason, as it gave it (English), shortened
    // The service's request limit: ask again only after the next whole hour.
    bool RateLimited() const { return status == 429; }
};

struct JsonResult;
// The failure an answer stands for, if it is one: the service's own error body
// (with any status), another status than 2xx, or a 2xx body that is not JSON.
std::optional<AnswerError> ErrorOfAnswer(int status, const JsonResult& json);
// Puts the error of a failed answer into answer.error; whether there was one.
template <typename Answer> bool TakeAnswerError(int status, const JsonResult& json, Answer& answer) {
    std::optional<AnswerError> error = ErrorOfAnswer(status, json);
    if (error)
        answer.error = std::move(*error);
    return error.has_value();
}

// What went wrong, in Chinese, naming the host: for the tooltip of a failed
// refresh and for the one message after a request the user made.
std::string AnswerErrorText(const AnswerError& error, std::string_view host);

struct DayForecast {
    std::optional<int> code;          // WMO weather code, the day's most severe
    std::optional<double> low, high;  // °C; the pair is present together or not at all
    std::optional<double> rainChance; // %, the day's highest chance of rain
    std::string sunrise, sunset;      // "2025-10-18T06:25", local to the place, or empty
};

// One hour of the next hours: the hour it begins, local to the place.
struct HourForecast {
    std::string time;                  // "2025-10-18T15:00"
    std::optional<double> temperature; // °C
    std::optional<double> rainChance;  // %
};

struct Forecast {
    double temperature = 0;            // °C, now
    int code = 0;                      // WMO weather code, now
    std::optional<double> feelsLike;   // °C
    std::optional<double> humidity;    // %
    std::optional<double> windKmh;     // km/h, whatever unit the answer gave
    std::optional<double> windFromDeg; // where the wind comes from, 0 = north
    std::string time;                  // "2025-10-18T14:15", local to the place, or empty
    DayForecast today, tomorrow;
    std::vector<HourForecast> hours; // in time order, from the hour the data is of
};

struct ForecastAnswer {
    std::optional<Forecast> forecast; // set exactly when error.problem is None
    AnswerError error;
};

// A forecast answer as it came: the HTTP status and the body. A line needs the
// temperature and the weather code now; without either the answer is
// Incomplete, so a line is never shown half made. Everything else is read when
// it is there and a finite number, and left out otherwise.
ForecastAnswer ParseForecastAnswer(int status, std::string_view body);

// The sky in Chinese words for a WMO weather code (晴, 多云, 小雨 ...);
// "天气未知" for a code the table does not know.
std::string SkyWords(int code);

// "长沙 多云 18℃ 10~20℃": the place, the sky, the temperature now, today's
// low~high (left out when the answer has no range). An umbrella "☂" stands
// before the temperatures when rain is at least 50 % likely within three hours
// of the data's time while none falls.
std::string ForecastLine(std::string_view place, const Forecast& forecast);
inline constexpr const char* kRainMark = "☂";
bool RainDueSoon(const Forecast& forecast);

// The tooltip's lines, joined by "\n", each only when the answer has it: feels
// like, wind (direction and Beaufort 级), humidity, today's and tomorrow's sky
// and low~high, today's chance of rain, the next twelve hours in steps of
// three, sunrise and sunset, then moreLines (the air, say), the time of the
// data; last the service's credit and moreCredit.
std::string ForecastTooltip(const Forecast& forecast, std::string_view moreLines = {},
                            std::string_view moreCredit = {});
inline constexpr const char* kForecastCredit = "天气数据：Open-Meteo.com";
inline constexpr const char* kForecastUnavailable = "天气暂不可用";

// The Beaufort number of a wind speed in km/h (0..12), and the 8-point name of
// where a wind comes from ("西北" for 315).
int BeaufortOfKmh(double kmh);
std::string WindDirectionWords(double fromDegrees);

// A width in whatever units the caller draws in, of a UTF-8 text.
using MeasureText = std::function<int(std::string_view utf8)>;

// text and tail when they fit maxWidth; otherwise the longest start of text,
// cut between characters and without blanks at the cut, followed by "…" and
// tail. The tail (an age, say) is always kept; when nothing of text fits, "…"
// and the tail are all that is left.
std::string FitLine(std::string_view text, std::string_view tail, int maxWidth, const MeasureText& measure);

// "（3小时前）" for an answer fetched more than an hour before now, "（2天前）"
// after a day; empty when it is fresher (or the clock went back). Unix seconds.
std::string AgeText(std::int64_t fetchedAt, std::int64_t now);

// The last good answer, kept on disk so that a start without network still has
// a line to show.
struct KeptForecast {
    std::int64_t fetchedAt = 0; // Unix seconds
    std::string place;
    double latitude = 0, longitude = 0;
    Forecast forecast;
};
// The shortest text that reads back as the same number ("40", not "4e+01").
// Not std::to_chars: its tables for doubles would add a tenth of a megabyte to
// the program. The C library formats with '.', as the program never sets a
// locale.
std::string Number(double v);

// key=value lines in UTF-8, moreLines (the air's, each ending in "\n") among
// them under the checksum.
std::string SerializeKeptForecast(const KeptForecast& kept, std::string_view moreLines = {});
// Nothing unless the text holds a whole kept answer: the file may be cut short,
// old, or anything else.
std::optional<KeptForecast> ParseKeptForecast(std::string_view text);

// When to ask the service again. Times are Unix seconds: the service's counters
// reset at whole hours of UTC, and a clock never asks on the hour, when every
// other clock does.
class RefreshSchedule {
public:
    // seed: this install's random number, kept in its settings; it picks a
    // minute and second of the hour, never in the hour's first minute.
    explicit RefreshSchedule(std::uint64_t seed);
    int OffsetInHour() const { return offset_; } // 60..3599

    // After an answer that gave a line: the next time the hour reaches the offset.
    std::int64_t AfterSuccess(std::int64_t now);
    // After a failure: 1, 2, 4 ... minutes, at most 60, the count growing with
    // each failure in a row; after the service's request limit (429), the first
    // offset after the next whole hour.
    std::int64_t AfterFailure(std::int64_t now, bool rateLimited);
    // After the computer wakes: 10..30 s, random (any number) picking which.
    static std::int64_t AfterResume(std::int64_t now, std::uint32_t random);
    // At start: now when the kept answer (if any) is older than the last
    // offset passed, else the next one.
    std::int64_t AtStart(std::int64_t now, std::optional<std::int64_t> keptFetchedAt) const;

private:
    std::int64_t NextOffsetAfter(std::int64_t t) const;
    int offset_ = 0;
    int failures_ = 0;
};

} // namespace vemora
