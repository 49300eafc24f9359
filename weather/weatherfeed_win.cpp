#include "weather/weatherfeed_win.h"

#include "base/files_win.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
#include "net/fetch_win.h"
#include "render/glow.h"
#include "weather/forecast_win.h"
#include "weather/airquality.h"
#include "weather/pinyin.h"
#include "weather/weather.h"

#include <cwctype>
#include <stdexcept>
#include <utility>

namespace vemora {

namespace {

constexpr std::size_t kMaxKeptFileBytes = 64 * 1024;
constexpr UINT_PTR kResumeTimer = 1;
constexpr std::string_view kLogPart = "weather";

std::string GbkTextToUtf8(const std::string& gbk) {
    return WideToUtf8(GbkToWide(gbk));
}

std::string Utf8TextToGbk(const std::string& utf8) {
    return WideToGbk(Utf8ToWide(utf8));
}

std::wstring KeptPathBeside(const std::wstring& settingsPath) {
    const std::size_t slash = settingsPath.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : settingsPath.substr(0, slash + 1)) + L"weather.cache";
}

bool SamePlace(const KeptForecast& kept, const WeatherSettings& values) {
    return values.HasPlace() && FormatCoordinate(kept.latitude) == FormatCoordinate(*values.latitude) &&
           FormatCoordinate(kept.longitude) == FormatCoordinate(*values.longitude);
}

std::wstring WithWindowsBreaks(const std::string& utf8) {
    std::wstring text;
    for (wchar_t c : Utf8ToWide(utf8)) {
        if (c == L'\n')
            text += L'\r';
        text += c;
    }
    return text;
}

ServiceBase ServiceOrDefault(const std::string& setting, const char* fallback) {
    if (std::optional<ServiceBase> base = ParseServiceBase(setting))
        return *base;
    return *ParseServiceBase(fallback);
}

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && iswspace(text.back()))
        text.pop_back();
    while (!text.empty() && iswspace(text.front()))
        text.erase(text.begin());
    return text;
}

// What a request posts to the strip: the handler that takes it, which knows
// its type, run on the clock's thread.
struct FeedAnswer : WorkerResult {
    std::function<void(WeatherFeed&)> arrive;
};

void PostToFeed(const std::shared_ptr<Mailbox>& mailbox, unsigned generation,
                std::function<void(WeatherFeed&)> arrive) {
    auto answer = std::make_unique<FeedAnswer>();
    answer->generation = generation;
    answer->arrive = std::move(arrive);
    mailbox->Post(std::move(answer)); // a strip that is gone frees it
}

} // namespace

// The page's line, made on the request's thread.
struct WeatherFeed::PageLine {
    std::optional<HttpGetError> error;
    bool found = false; // the page had links: text is the new line
    std::string text;
};

WeatherFeed::WeatherFeed(HWND owner, WeatherFeedHost& host, ErrorReporter& reporter, EventLog& log,
                         WeatherFeedOptions options)
    : host_(host), reporter_(reporter), log_(log), options_(std::move(options)),
      keptPath_(KeptPathBeside(options_.settingsPath)), strip_(owner, reporter),
      mailbox_(std::make_shared<Mailbox>(strip_.Handle(), WeatherStrip::kFeedMessage)),
      schedule_(InstallSeed(options_.settingsPath)), airSchedule_(InstallSeed(options_.settingsPath)) {
    strip_.OnFeedMessage = [this](LPARAM posted) {
        std::unique_ptr<WorkerResult> answer = Mailbox::Take(posted);
        // Only FeedAnswers are posted to this mailbox.
        static_cast<FeedAnswer&>(*answer).arrive(*this);
    };
    strip_.OnTimer = [this](UINT_PTR id) {
        KillTimer(strip_.Handle(), id);
        if (id == kResumeTimer && host_.WeatherValues().on)
            Show();
    };
    strip_.OnCityTyped = [this](const std::wstring& typed) {
        try {
            CityTyped(typed);
        } catch (...) {
            reporter_.Report(strip_.Handle(), std::current_exception()); // told where it was asked
        }
    };
    strip_.OnDpiChanged = [this] { Draw(host_.WeatherValues()); };
    strip_.OnClosed = [this] { host_.StripClosed(); };
    // The last good answer for the stored place, shown before any request.
    if (const std::optional<std::string> text = ReadWholeFile(keptPath_, kMaxKeptFileBytes))
        if (std::optional<KeptForecast> kept = ParseKeptForecast(*text);
            kept && SamePlace(*kept, host_.WeatherValues())) {
            kept_ = std::move(kept);
            air_ = ParseKeptAir(*text);
        }
}

WeatherFeed::~WeatherFeed() {
    // Whatever a request still brings finds no strip.
    mailbox_->Close();
}

std::int64_t WeatherFeed::Now() const {
    if (options_.unixClock)
        return options_.unixClock();
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000ull) - 11644473600ll;
}

void WeatherFeed::Show(bool userAsked) {
    strip_.Show();
    host_.PlaceStrip(strip_.Handle());
    const WeatherSettings values = host_.WeatherValues();
    if (!values.ForecastService()) {
        Draw(values);
        AskPage(values);
        return;
    }
    const std::int64_t now = Now();
    if (!started_) {
        started_ = true;
        due_ = schedule_.AtStart(now, kept_ ? std::optional<std::int64_t>(kept_->fetchedAt) : std::nullopt);
    } else {
        due_ = now;
    }
    noCity_ = !lookUp_ && NextForecastStep(values, cityLookedUp_) == ForecastStep::NoCity;
    userWaiting_ = userAsked && !kept_;
    Draw(values);
    if (noCity_ && userAsked) {
        // No city yet is no failure: the user is asked for one at once.
        strip_.ChangeCity();
        return;
    }
    ServiceNext();
}

void WeatherFeed::Hide() {
    page_.Cancel();
    service_.Cancel();
    KillTimer(strip_.Handle(), kResumeTimer);
    strip_.Close();
}

void WeatherFeed::Tick(bool hourTurned) {
    const WeatherSettings values = host_.WeatherValues();
    if (!values.on)
        return;
    if (!values.ForecastService()) {
        if (hourTurned)
            Show();
        return;
    }
    // The age in a kept line goes on between requests.
    if (kept_ && strip_.Showing() && Now() / 60 != composedMinute_)
        Draw(values);
    ServiceNext();
}

void WeatherFeed::Resumed(bool hourMissed) {
    const WeatherSettings values = host_.WeatherValues();
    if (!values.on)
        return;
    if (values.ForecastService()) {
        // The network needs a moment after a sleep; the hour's own refresh
        // may have passed meanwhile.
        due_ = RefreshSchedule::AfterResume(Now(), static_cast<std::uint32_t>(GetTickCount64()));
    } else if (hourMissed) {
        SetTimer(strip_.Handle(), kResumeTimer, static_cast<UINT>(options_.resumeDelayMs), nullptr);
    }
}

void WeatherFeed::Redraw() {
    if (strip_.Showing())
        Draw(host_.WeatherValues());
}

// 更改城市 and the settings' city box both come here. The pinyin is stored at
// once (the page provider asks with it); the forecast service looks the name
// up, and the place found is stored.
void WeatherFeed::CityTyped(const std::wstring& typed) {
    const std::string gbk = WideToGbk(typed);
    const std::string pinyin = CityToPinyin(gbk);
    if (pinyin.empty()) {
        // A name with nothing to read is told, not dropped without a word.
        if (CityNameUnreadable(gbk))
            throw UnreadableCityName(typed);
        return; // a cancel, blanks, or 市 alone
    }
    host_.StoreCity(pinyin);
    const WeatherSettings values = host_.WeatherValues();
    if (!values.ForecastService()) {
        if (values.on)
            Show();
        return;
    }
    // Looked up once the weather is on, and at once when it is.
    lookUp_ = LookUp{WideToUtf8(Trimmed(typed)), pinyin, true};
    noCity_ = false;
    ServiceNext();
}

// The forecast side's requests, one at a time: a name waiting to be looked
// up first, then the forecast once its time has come.
void WeatherFeed::ServiceNext() {
    const WeatherSettings values = host_.WeatherValues();
    if (!values.on || !values.ForecastService() || service_.Running())
        return;
    if (lookUp_) {
        const LookUp lookUp = *std::exchange(lookUp_, std::nullopt);
        AskPlace(values, lookUp);
        return;
    }
    if (due_ == 0 || Now() < due_)
        return;
    due_ = 0;
    switch (NextForecastStep(values, cityLookedUp_)) {
    case ForecastStep::Forecast:
        noCity_ = false;
        AskForecast(values);
        break;
    case ForecastStep::LookUpCity:
        // A settings file from before the forecast service: its pinyin city
        // is looked up once, and the place it finds is kept.
        cityLookedUp_ = true;
        AskPlace(values, LookUp{values.city, {}, false});
        break;
    case ForecastStep::NoCity:
        noCity_ = true;
        Draw(values);
        break;
    }
}

// One request to the forecast service or its geocoder: the answer is read on
// the request's thread and handed, with its handler, to the clock's. Another
// request after this one (the forecast after a place, say) starts from the
// handler, so that the service never has two at once from this clock.
template <typename Answer>
void WeatherFeed::AskService(const std::string& url, const std::string& host, Answer (*parse)(int, std::string_view),
                             std::function<void(WeatherFeed&, ServiceReply<Answer>&)> arrived) {
    service_.Start(url, [&](unsigned generation) {
        StartHttpGet(url, options_.http,
                     [mailbox = mailbox_, generation, host, parse, arrived](HttpGetResult got) mutable {
                         ServiceReply<Answer> reply;
                         reply.generation = generation;
                         reply.host = host;
                         if (got.error) {
                             reply.failure = std::move(got.error);
                         } else {
                             try {
                                 reply.answer = parse(static_cast<int>(got.status), got.body);
                             } catch (const std::exception& e) { // only memory can run out here
                                 reply.answer = {};
                                 reply.answer.error.problem = AnswerProblem::Unreadable;
                                 reply.answer.error.reason = e.what();
                             }
                         }
                         PostToFeed(mailbox, generation,
                                    [reply = std::move(reply), arrived = std::move(arrived)](
                                        WeatherFeed& feed) mutable { arrived(feed, reply); });
                     });
    });
}

void WeatherFeed::AskForecast(const WeatherSettings& values) {
    const ServiceBase base = ServiceOrDefault(values.forecastApi, kDefaultForecastApi);
    AskService<ForecastAnswer>(
        ForecastUrl(base, *values.latitude, *values.longitude), ServiceHostText(base), ParseForecastAnswer,
        [](WeatherFeed& feed, ServiceReply<ForecastAnswer>& reply) { feed.ForecastArrived(reply); });
}

void WeatherFeed::AskPlace(const WeatherSettings& values, const LookUp& lookUp) {
    const ServiceBase base = ServiceOrDefault(values.geocodeApi, kDefaultGeocodeApi);
    AskService<GeocodeAnswer>(
        GeocodeUrl(base, lookUp.name), ServiceHostText(base), ParseGeocodeAnswer,
        [lookUp](WeatherFeed& feed, ServiceReply<GeocodeAnswer>& reply) { feed.PlaceArrived(reply, lookUp); });
}

// Right after a good forecast, on the same slot: one request after the
// other, never two at once.
void WeatherFeed::AskAir(const WeatherSettings& values) {
    if (!values.HasPlace() || Now() < airNotBefore_)
        return;
    const ServiceBase base = ServiceOrDefault(values.airQualityApi, kDefaultAirQualityApi);
    AskService<AirQualityAnswer>(
        AirQualityUrl(base, *values.latitude, *values.longitude), ServiceHostText(base), ParseAirQualityAnswer,
        [](WeatherFeed& feed, ServiceReply<AirQualityAnswer>& reply) { feed.AirArrived(reply); });
}

// The air service down or refusing leaves the forecast's line as it is; the
// tooltip and the log say why.
void WeatherFeed::AirArrived(ServiceReply<AirQualityAnswer>& reply) {
    const bool use = service_.Arrived(reply.generation).use;
    const WeatherSettings values = host_.WeatherValues();
    if (!use || !values.on || !values.ForecastService() || !kept_) {
        ServiceNext();
        return;
    }
    const std::int64_t now = Now();
    if (reply.failure) {
        airFailure_ = reply.failure->Text();
    } else if (reply.answer.reading) {
        air_ = KeptAir{now, *reply.answer.reading};
        airFailure_.clear();
        KeepFile();
    } else {
        airFailure_ = AnswerErrorText(reply.answer.error, reply.host);
        if (reply.answer.error.RateLimited())
            airNotBefore_ = airSchedule_.AfterFailure(now, true);
    }
    if (!airFailure_.empty())
        log_.Write(kLogPart, "空气质量：" + airFailure_);
    Draw(values);
    ServiceNext();
}

// The forecast and the air in one file; a lost copy costs the next start's
// line only.
void WeatherFeed::KeepFile() {
    if (!kept_)
        return;
    if (!ReplaceFileContents(keptPath_, SerializeKeptForecast(*kept_, air_ ? SerializeKeptAir(*air_) : "")))
        log_.Write(kLogPart,
                   "无法写入 " + WideToUtf8(keptPath_) + "（错误代码 " + std::to_string(GetLastError()) + "）");
}

void WeatherFeed::AskPage(const WeatherSettings& values) {
    const std::string url = WeatherUrl(values.pageHost, values.city);
    page_.Start(url, [&](unsigned generation) {
        StartPageFetch(url, [mailbox = mailbox_, generation](PageText page) {
            PageLine line;
            line.error = std::move(page.error);
            if (!line.error)
                line.found = BuildWeatherText(page.text, line.text);
            PostToFeed(mailbox, generation, [line = std::move(line), generation](WeatherFeed& feed) mutable {
                feed.PageArrived(generation, line);
            });
        });
    });
}

void WeatherFeed::PageArrived(unsigned generation, PageLine& line) {
    const RequestSlot::Answer slot = page_.Arrived(generation);
    const WeatherSettings values = host_.WeatherValues();
    if (slot.askAgain && values.on && !values.ForecastService())
        AskPage(values);
    if (!slot.use || !values.on || values.ForecastService())
        return;
    if (line.error) {
        const std::string why = line.error->Text();
        Failed(pageFailing_, "天气网页：" + why);
        throw std::runtime_error(OnlinePartText(OnlinePart::Weather, why)); // the strip keeps its last drawing
    }
    Answered(pageFailing_, HostAndPortOfUrl(WeatherUrl(values.pageHost, values.city)));
    if (line.found)
        pageLine_ = std::move(line.text);
    Draw(values);
}

void WeatherFeed::ForecastArrived(ServiceReply<ForecastAnswer>& reply) {
    const bool use = service_.Arrived(reply.generation).use;
    const WeatherSettings values = host_.WeatherValues();
    if (!use || !values.on || !values.ForecastService()) {
        ServiceNext();
        return;
    }
    const std::int64_t now = Now();
    std::string failure;
    bool rateLimited = false;
    if (reply.failure) {
        failure = reply.failure->Text();
    } else if (reply.answer.forecast && values.HasPlace()) {
        Answered(serviceFailing_, reply.host);
        KeptForecast kept;
        kept.fetchedAt = now;
        kept.place = GbkTextToUtf8(values.place.empty() ? values.city : values.place);
        kept.latitude = *values.latitude;
        kept.longitude = *values.longitude;
        kept.forecast = *reply.answer.forecast;
        kept_ = std::move(kept);
        KeepFile();
        failure_.clear();
        userWaiting_ = false;
        due_ = schedule_.AfterSuccess(now);
    } else {
        failure = AnswerErrorText(reply.answer.error, reply.host);
        rateLimited = reply.answer.error.RateLimited();
    }
    if (!failure.empty()) {
        Failed(serviceFailing_, "天气预报：" + failure);
        failure_ = failure;
        due_ = schedule_.AfterFailure(now, rateLimited);
    }
    Draw(values);
    if (failure.empty())
        AskAir(values);
    ServiceNext();
    // What the user asked for and cannot see is told once; the hourly
    // refreshes only say it in the tooltip and the log.
    if (!failure.empty() && std::exchange(userWaiting_, false) && !kept_)
        throw std::runtime_error(failure);
}

void WeatherFeed::PlaceArrived(ServiceReply<GeocodeAnswer>& reply, const LookUp& lookUp) {
    if (!service_.Arrived(reply.generation).use) {
        ServiceNext();
        return;
    }
    const std::int64_t now = Now();
    std::string failure, tell;
    if (reply.failure)
        failure = reply.failure->Text();
    else if (reply.answer.error.problem != AnswerProblem::None)
        failure = AnswerErrorText(reply.answer.error, reply.host);
    std::optional<GeoPlace> place;
    if (!failure.empty()) {
        Failed(serviceFailing_, "地点查询：" + failure);
        if (lookUp.byUser) {
            tell = PlaceLookupFailedText(lookUp.name, failure); // told once; the place stays as it was
        } else {
            cityLookedUp_ = false; // the settings' city is tried again later
            failure_ = failure;
            due_ = schedule_.AfterFailure(now, reply.answer.error.RateLimited());
        }
    } else {
        Answered(serviceFailing_, reply.host);
        const PlaceChoice choice = PickPlace(reply.answer.places, !lookUp.byUser);
        switch (choice.kind) {
        case PlaceChoice::Kind::NotFound:
            (lookUp.byUser ? tell : failure_) = PlaceNotFoundText(lookUp.name);
            break;
        case PlaceChoice::Kind::Ask: {
            std::vector<std::wstring> labels;
            for (const GeoPlace& option : choice.options)
                labels.push_back(Utf8ToWide(PlaceLabel(option)));
            const std::optional<std::size_t> picked = strip_.AskPlace(Utf8ToWide(lookUp.name), labels);
            if (picked && *picked < choice.options.size())
                place = choice.options[*picked];
            break;
        }
        case PlaceChoice::Kind::Chosen:
            place = choice.chosen;
            break;
        }
    }
    if (place) {
        host_.StorePlace(lookUp.pinyin, Utf8TextToGbk(place->name), place->latitude, place->longitude);
        kept_.reset();
        air_.reset();
        airFailure_.clear();
        failure_.clear();
        noCity_ = false;
        userWaiting_ = lookUp.byUser;
        due_ = now;
    }
    const WeatherSettings values = host_.WeatherValues();
    if (values.on && strip_.Showing())
        Draw(values);
    ServiceNext();
    if (!tell.empty())
        throw std::runtime_error(tell);
}

// The weather line at the strip's own resolution.
void WeatherFeed::Draw(const WeatherSettings& values) {
    LARGE_INTEGER started{}, ended{}, frequency{};
    QueryPerformanceCounter(&started);
    const int dpi = strip_.Dpi();
    stripFrame_ = SingleLineFrame(dpi);
    stripFrame_.width = stripFrame_.width * values.scale / 100;
    stripFrame_.height = stripFrame_.firstHeight = stripFrame_.height * values.scale / 100;
    if (values.ForecastService()) {
        ComposeForecast(values);
    } else {
        strip_.SetShown(GbkToWide(pageLine_), {});
        text_ = pageLine_;
    }
    if (text_.empty())
        return;
    renderer_.Render(strip_.Handle(), strip_.ShownLine(), stripFrame_, values.font,
                     ScaleForDpi(kWeatherEmSize, dpi) * values.scale / 100, values.startColour, values.endColour,
                     values.transparency, dpi);
    QueryPerformanceCounter(&ended);
    QueryPerformanceFrequency(&frequency);
    stripMs_ = 1000.0 * static_cast<double>(ended.QuadPart - started.QuadPart) /
               static_cast<double>(frequency.QuadPart ? frequency.QuadPart : 1);
}

// The line for the strip: the kept answer with the air's category and its
// age, 右击设置城市 or 天气暂不可用, fitted to the strip's width in its font (the
// category goes first when it does not fit); the tooltip says the rest and
// why the last request failed.
void WeatherFeed::ComposeForecast(const WeatherSettings& values) {
    const std::int64_t now = Now();
    const ForecastStripText text =
        ComposeForecastStrip(kept_, GbkTextToUtf8(values.place.empty() ? values.city : values.place), failure_, noCity_,
                             now, air_, airFailure_);
    const int dpi = strip_.Dpi();
    const int emSize = ScaleForDpi(kWeatherEmSize, dpi) * values.scale / 100;
    const TextMeasure measure(values.font, emSize);
    const int room = ScaleForDpi(kGlowWidth - 2 * 10, dpi) * values.scale / 100;
    const StripLine fitted = FitStripLine(text.line, text.air, text.tail, room,
                                          [&measure](std::string_view part) { return measure.Width(part); });
    // The category's columns in the image: the text starts at the glow's
    // origin, and GDI+ lays a string out a sixth of an em further; the edges
    // lie halfway into the blanks around the word.
    if (fitted.markFrom < fitted.markTo) {
        const std::wstring family = values.font.empty() ? std::wstring(L"宋体") : GbkToWide(values.font);
        const auto width = [&](std::size_t bytes) {
            return GlowTextWidth(Utf8ToWide(fitted.text.substr(0, bytes)), family, emSize);
        };
        const int start = ScaleForDpi(10, dpi) * values.scale / 100 + emSize / 6;
        const int blank = measure.Width(" ");
        stripFrame_.accentLeft = start + width(fitted.markFrom) - blank / 2;
        stripFrame_.accentRight =
            fitted.markTo == fitted.text.size() ? stripFrame_.width : start + width(fitted.markTo) + blank / 4;
        stripFrame_.accentColour = fitted.markColour;
    }
    composedMinute_ = now / 60;
    strip_.SetShown(Utf8ToWide(fitted.text), WithWindowsBreaks(text.tip));
    text_ = Utf8TextToGbk(fitted.text);
}

// Every failure goes to the log with its host and why; the first answer
// after failures says the service is back.
void WeatherFeed::Failed(bool& failing, const std::string& what) {
    failing = true;
    log_.Write(kLogPart, what);
}

void WeatherFeed::Answered(bool& failing, const std::string& host) {
    if (std::exchange(failing, false))
        log_.Write(kLogPart, "恢复：" + host + " 又有应答");
}

} // namespace vemora
