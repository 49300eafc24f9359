#pragma once
#include "base/eventlog.h"
#include "base/worker_win.h"
#include "net/https_win.h"
#include "net/request.h"
#include "render/glow_win.h"
#include "weather/geocode.h"
#include "weather/weatherfeed.h"
#include "weather/weatherstrip_win.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vemora {

// What the weather feed reads from the clock and hands back to it.
class WeatherFeedHost {
public:
    // The settings the feed works with, as they are now.
    virtual WeatherSettings WeatherValues() const = 0;
    // A place was found for a typed name (or for the settings' old pinyin
    // city): kept in the settings and written to the file at once. city: the
    // typed name's pinyin, empty to keep the stored one. place is GBK.
    virtual void StorePlace(const std::string& city, const std::string& place, double latitude, double longitude) = 0;
    // The page provider's city, upper-case pinyin.
    virtual void StoreCity(const std::string& city) = 0;
    // The strip was shown: under the clock, on top exactly when the clock is.
    virtual void PlaceStrip(HWND strip) = 0;
    // The strip's own close box or Alt+F4: switched off as the menu item does.
    virtual void StripClosed() = 0;

protected:
    ~WeatherFeedHost() = default;
};

struct WeatherFeedOptions {
    std::wstring settingsPath;               // clockset.ini: weather.cache goes beside it
    std::function<std::int64_t()> unixClock; // Unix seconds; empty: the system clock
    int resumeDelayMs = 10000;               // after a sleep, the page waits for the network
    HttpGetOptions http;                     // the forecast service's bounds
};

// The weather strip and what feeds it: the forecast service (with its
// geocoder) or, when the settings name a page host, that weather page. It
// owns the strip, the requests, when to ask again, the kept answer
// (weather.cache) and the one way a typed city becomes a place. Requests post
// their answers to the strip's window, each with the handler that takes it.
// Failures in the background go to the event log and the tooltip; what the
// user just asked for is told once.
class WeatherFeed {
public:
    WeatherFeed(HWND owner, WeatherFeedHost& host, ErrorReporter& reporter, EventLog& log, WeatherFeedOptions options);
    ~WeatherFeed();
    WeatherFeed(const WeatherFeed&) = delete;
    WeatherFeed& operator=(const WeatherFeed&) = delete;

    // Shows and places the strip, draws what it has and asks when a request is
    // due. userAsked: the user switched it on; without a city the city box
    // opens at once, and a failure with nothing to show is told once.
    void Show(bool userAsked = false);
    // Switched off: hidden, and whatever is on its way dropped.
    void Hide();
    // Each second of the clock: a request whose time has come. hourTurned:
    // the top of the hour, when the page provider refreshes.
    void Tick(bool hourTurned);
    // After a sleep: the forecast soon, the page after resumeDelayMs when an
    // hour's refresh was missed.
    void Resumed(bool hourMissed);
    // A new look: drawn again from what the strip holds, without a request.
    void Redraw();
    // A city as typed into 更改城市 or the settings' city box: the one way to a
    // new place. A name without a reading raises an error; an empty one, or 市
    // alone, changes nothing.
    void CityTyped(const std::wstring& typed);

    bool Busy() const { return page_.Running() || service_.Running(); }
    WeatherStrip& Strip() { return strip_; }
    const GlowImage& Image() const { return renderer_.Image(); }
    // The line shown, GBK.
    const std::string& Text() const { return text_; }
    // The last composing and drawing of the strip, on the clock's thread.
    double StripMs() const { return stripMs_; }
    // The file that keeps the last good forecast and the air after it.
    const std::wstring& KeptPath() const { return keptPath_; }
    // The strip's image frame: the air's category columns in its colour.
    const GlowFrame& StripFrame() const { return stripFrame_; }

private:
    struct LookUp {
        std::string name;   // UTF-8, as typed or the settings' pinyin city
        std::string pinyin; // stored with the place found; empty keeps the settings' city
        bool byUser = false;
    };
    template <typename Answer> struct ServiceReply {
        unsigned generation = 0;
        std::optional<HttpGetError> failure; // no answer at all
        Answer answer;
        std::string host; // "host:port" as messages name it
    };
    struct PageLine;

    std::int64_t Now() const;
    void ServiceNext();
    template <typename Answer>
    void AskService(const std::string& url, const std::string& host, Answer (*parse)(int, std::string_view),
                    std::function<void(WeatherFeed&, ServiceReply<Answer>&)> arrived);
    void AskForecast(const WeatherSettings& values);
    void AskPlace(const WeatherSettings& values, const LookUp& lookUp);
    void AskPage(const WeatherSettings& values);
    void AskAir(const WeatherSettings& values);
    void ForecastArrived(ServiceReply<ForecastAnswer>& reply);
    void AirArrived(ServiceReply<AirQualityAnswer>& reply);
    void KeepFile();
    void PlaceArrived(ServiceReply<GeocodeAnswer>& reply, const LookUp& lookUp);
    void PageArrived(unsigned generation, PageLine& line);
    void Draw(const WeatherSettings& values);
    void ComposeForecast(const WeatherSettings& values);
    void Failed(bool& failing, const std::string& what);
    void Answered(bool& failing, const std::string& host);

    WeatherFeedHost& host_;
    ErrorReporter& reporter_;
    EventLog& log_;
    WeatherFeedOptions options_;
    std::wstring keptPath_;
    WeatherStrip strip_;
    GlowRenderer renderer_;
    std::shared_ptr<Mailbox> mailbox_;
    RequestSlot page_;    // the weather page
    RequestSlot service_; // the forecast service and its geocoder: one request at a time, one after another

    std::string pageLine_; // GBK: the page's links, kept when a page has none
    std::string text_;     // GBK: what the strip shows
    RefreshSchedule schedule_{0};
    std::optional<KeptForecast> kept_;                  // the last good answer for the stored place
    std::optional<KeptAir> air_;                        // the last good air reading, asked right after a forecast
    std::string airFailure_;                            // UTF-8: why the last air request gave nothing
    RefreshSchedule airSchedule_{0};                    // the air service's own request limit
    std::int64_t airNotBefore_ = 0;                     // after its 429: not before the next hour's turn
    std::int64_t composedMinute_ = 0;                   // Unix minute of the line's last composing: its age goes on
    GlowFrame stripFrame_;                              // the strip's image, the air's category in its colour
    std::string failure_;                               // UTF-8: why the last request gave nothing
    std::int64_t due_ = 0;                              // Unix seconds of the next forecast; 0: none planned
    std::optional<LookUp> lookUp_;                      // a typed name waiting for the service to be free
    bool started_ = false;                              // the first request was planned from the kept answer's age
    bool userWaiting_ = false;                          // the user asked and has nothing to see yet
    bool cityLookedUp_ = false;                         // the settings' pinyin city was looked up once
    bool noCity_ = false;                               // nothing to ask about: the strip asks for a city
    bool pageFailing_ = false, serviceFailing_ = false; // the last request failed: its recovery is logged
    double stripMs_ = 0;
};

} // namespace vemora
