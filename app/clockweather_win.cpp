// The weather strip fed by the forecast service: the kept answer, the hourly
// refresh at this install's own minute, failures told in the tooltip, and the
// place looked up by name.
#include "app/clockmain_win.h"
#include "app/companions_win.h"

#include "base/dpi_win.h"
#include "base/text_win.h"
#include "online/forecast_win.h"
#include "online/geocode.h"
#include "render/glow.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace vemora {

namespace {

constexpr std::size_t kMaxKeptFileBytes = 64 * 1024;

std::string GbkTextToUtf8(const std::string& gbk) {
    return WideToUtf8(GbkToWide(gbk));
}

std::string Utf8TextToGbk(const std::string& utf8) {
    return WideToGbk(Utf8ToWide(utf8));
}

// This install's number for its refresh minute: the settings file's full path,
// which differs from one install to the next and stays while it stays.
std::uint64_t InstallSeed(const std::wstring& settingsPath) {
    std::wstring full(MAX_PATH * 4, L'\0');
    const DWORD length = GetFullPathNameW(settingsPath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length > 0 && length < full.size() ? length : 0);
    if (full.empty())
        full = settingsPath;
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (wchar_t c : full) {
        hash ^= static_cast<std::uint64_t>(towlower(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool SamePlace(const KeptForecast& kept, const Settings& settings) {
    return settings.latitude && settings.longitude &&
           FormatCoordinate(kept.latitude) == FormatCoordinate(*settings.latitude) &&
           FormatCoordinate(kept.longitude) == FormatCoordinate(*settings.longitude);
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

} // namespace

std::int64_t ClockWindow::UnixNow() const {
    if (options_.unixClock)
        return options_.unixClock();
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000ull) - 11644473600ll;
}

std::wstring ClockWindow::KeptForecastPath() const {
    const std::wstring& ini = options_.settingsPath;
    const std::size_t slash = ini.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : ini.substr(0, slash + 1)) + L"weather.cache";
}

// At start, before any request: the last good answer for the stored place.
void ClockWindow::LoadKeptForecast() {
    forecast_.schedule = RefreshSchedule(InstallSeed(options_.settingsPath));
    companions_->weather.OnPlaceName = [this](const std::wstring& name, const std::string& pinyin) {
        return PlaceNameGiven(name, pinyin);
    };
    if (const std::optional<std::string> text = ReadWholeFile(KeptForecastPath(), kMaxKeptFileBytes))
        if (std::optional<KeptForecast> kept = ParseKeptForecast(*text); kept && SamePlace(*kept, settings_))
            forecast_.kept = std::move(kept);
}

// The strip was shown (at start, switched on, a new place): the line it has
// at once, and a request when one is due.
void ClockWindow::StartForecast() {
    const std::int64_t now = UnixNow();
    if (!forecast_.started) {
        forecast_.started = true;
        forecast_.due = forecast_.schedule.AtStart(
            now, forecast_.kept ? std::optional<std::int64_t>(forecast_.kept->fetchedAt) : std::nullopt);
    } else {
        forecast_.due = now;
    }
    DrawWeatherStrip();
    ForecastDue();
}

// Each second: the request, once its time has come and none runs.
void ClockWindow::ForecastDue() {
    if (!settings_.showWeather || !ForecastProvider() || forecast_.due == 0 || UnixNow() < forecast_.due ||
        forecastDownload_.Running() || placeLookUp_.Running())
        return;
    forecast_.due = 0;
    if (settings_.latitude && settings_.longitude) {
        AskForecast();
    } else if (!settings_.city.empty() && !forecast_.lookedUpCity) {
        // A settings file from before the forecast service: its pinyin city
        // is looked up once, and the place it finds is kept.
        forecast_.lookedUpCity = true;
        LookUpPlace(settings_.city, false);
    } else {
        forecast_.failure = "未设定城市：在天气栏上右击，选“更改城市”。";
        DrawWeatherStrip();
        if (std::exchange(forecast_.userWaiting, false))
            throw std::runtime_error(forecast_.failure); // 显示天气 was asked for with nothing to show
    }
}

void ClockWindow::AskForecast() {
    const ServiceBase base = ServiceOrDefault(settings_.forecastApi, kDefaultForecastApi);
    const std::string url = ForecastUrl(base, *settings_.latitude, *settings_.longitude);
    forecastDownload_.Start(url, [&](unsigned generation) {
        ++forecast_.requests;
        DownloadForecast(mailbox_, generation, url, ServiceHostText(base), HttpGetOptions{});
    });
}

void ClockWindow::LookUpPlace(const std::string& nameUtf8, bool byUser) {
    const ServiceBase base = ServiceOrDefault(settings_.geocodeApi, kDefaultGeocodeApi);
    const std::string url = GeocodeUrl(base, nameUtf8);
    placeLookUp_.Start(url, [&](unsigned generation) {
        ++forecast_.requests;
        vemora::LookUpPlace(mailbox_, generation, url, ServiceHostText(base), nameUtf8, byUser, HttpGetOptions{});
    });
}

// 更改城市 with the forecast service: the name goes to the geocoder; the
// pinyin is kept for the page provider.
bool ClockWindow::PlaceNameGiven(const std::wstring& name, const std::string& pinyin) {
    if (!ForecastProvider())
        return false;
    std::wstring trimmed = name;
    while (!trimmed.empty() && iswspace(trimmed.back()))
        trimmed.pop_back();
    while (!trimmed.empty() && iswspace(trimmed.front()))
        trimmed.erase(trimmed.begin());
    if (trimmed.empty())
        return true;
    if (!pinyin.empty())
        settings_.city = pinyin;
    LookUpPlace(WideToUtf8(trimmed), true);
    return true;
}

void ClockWindow::PlaceArrived(GeocodeResult& result) {
    const RequestSlot::Answer slot = placeLookUp_.Arrived(result.generation);
    if (!slot.use)
        return;
    const std::int64_t now = UnixNow();
    std::string failure;
    if (result.failure)
        failure = result.failure->Text();
    else if (result.answer.error.problem != AnswerProblem::None)
        failure = AnswerErrorText(result.answer.error, result.host);
    if (!failure.empty()) {
        if (result.byUser)
            throw std::runtime_error(failure); // told once; the place stays as it was
        forecast_.lookedUpCity = false;        // the settings' city is tried again later
        forecast_.failure = failure;
        forecast_.due = forecast_.schedule.AfterFailure(now, result.answer.error.RateLimited());
        DrawWeatherStrip();
        return;
    }
    const PlaceChoice choice = PickPlace(result.answer.places, !result.byUser);
    GeoPlace place;
    switch (choice.kind) {
    case PlaceChoice::Kind::NotFound:
        if (result.byUser)
            throw std::runtime_error(PlaceNotFoundText(result.asked));
        forecast_.failure = PlaceNotFoundText(result.asked);
        DrawWeatherStrip();
        return;
    case PlaceChoice::Kind::Ask: {
        std::vector<std::wstring> labels;
        for (const GeoPlace& option : choice.options)
            labels.push_back(Utf8ToWide(PlaceLabel(option)));
        const std::optional<std::size_t> picked = companions_->weather.AskPlace(Utf8ToWide(result.asked), labels);
        if (!picked || *picked >= choice.options.size())
            return;
        place = choice.options[*picked];
        break;
    }
    case PlaceChoice::Kind::Chosen:
        place = choice.chosen;
        break;
    }
    settings_.place = Utf8TextToGbk(place.name);
    settings_.latitude = place.latitude;
    settings_.longitude = place.longitude;
    try {
        SaveSettingsFile(); // the place found is kept even if the program never ends cleanly
    } catch (...) {
        // Saved again on exit, which asks when it cannot.
    }
    forecast_.kept.reset();
    forecast_.failure.clear();
    forecast_.userWaiting = result.byUser;
    if (settings_.showWeather) {
        forecast_.due = now;
        DrawWeatherStrip();
        ForecastDue();
    }
}

void ClockWindow::ForecastArrived(ForecastResult& result) {
    const RequestSlot::Answer slot = forecastDownload_.Arrived(result.generation);
    if (slot.askAgain)
        forecast_.due = UnixNow();
    if (!slot.use || !settings_.showWeather || !ForecastProvider())
        return;
    const std::int64_t now = UnixNow();
    std::string failure;
    bool rateLimited = false;
    if (result.failure) {
        failure = result.failure->Text();
    } else if (result.answer.forecast && settings_.latitude && settings_.longitude) {
        KeptForecast kept;
        kept.fetchedAt = now;
        kept.place = GbkTextToUtf8(settings_.place.empty() ? settings_.city : settings_.place);
        kept.latitude = *settings_.latitude;
        kept.longitude = *settings_.longitude;
        kept.forecast = *result.answer.forecast;
        ReplaceFileContents(KeptForecastPath(), SerializeKeptForecast(kept)); // a lost copy costs a start's line only
        forecast_.kept = std::move(kept);
        forecast_.failure.clear();
        forecast_.userWaiting = false;
        forecast_.due = forecast_.schedule.AfterSuccess(now);
    } else {
        failure = AnswerErrorText(result.answer.error, result.host);
        rateLimited = result.answer.error.RateLimited();
    }
    if (!failure.empty()) {
        forecast_.failure = failure;
        forecast_.due = forecast_.schedule.AfterFailure(now, rateLimited);
    }
    DrawWeatherStrip();
    // What the user asked for and cannot see is told once; the hourly
    // refreshes only say it in the tooltip.
    if (!failure.empty() && forecast_.userWaiting && !forecast_.kept) {
        forecast_.userWaiting = false;
        throw std::runtime_error(failure);
    }
}

// The line for the strip: the kept answer with its age, or 天气暂不可用,
// fitted to the strip's width in its font; the tooltip says the rest and why
// the last request failed.
void ClockWindow::ComposeForecastLine() {
    std::string line, tail, tip;
    if (forecast_.kept) {
        const std::string place = GbkTextToUtf8(settings_.place.empty() ? settings_.city : settings_.place);
        line = ForecastLine(place.empty() ? forecast_.kept->place : place, forecast_.kept->forecast);
        tail = AgeText(forecast_.kept->fetchedAt, UnixNow());
        tip = ForecastTooltip(forecast_.kept->forecast);
        if (!forecast_.failure.empty())
            tip = forecast_.failure + "\n" + tip;
    } else {
        line = kForecastUnavailable;
        tip = forecast_.failure;
    }
    const int dpi = companions_->weather.Dpi();
    const TextMeasure measure(settings_.font, ScaleForDpi(kWeatherEmSize, dpi));
    const int room = ScaleForDpi(kGlowWidth - 2 * 10, dpi);
    const std::string fitted =
        FitLine(line, tail, room, [&measure](std::string_view text) { return measure.Width(text); });
    companions_->weather.SetShown(Utf8ToWide(fitted), WithWindowsBreaks(tip));
    run_.weatherText = Utf8TextToGbk(fitted);
}

} // namespace vemora
