#pragma once
#include "base/handles_win.h"
#include "base/worker_win.h"
#include "online/forecast.h"
#include "online/geocode.h"
#include "online/https_win.h"

#include <memory>
#include <optional>
#include <string>

namespace vemora {

// What a forecast request hands back: the parsed answer, or why the service
// could not be reached. Text is UTF-8.
struct ForecastResult : WorkerResult {
    std::optional<HttpGetError> failure; // no answer at all
    ForecastAnswer answer;               // the service's answer, when there was one
    std::string host;                    // "host:port" as the message names it
};

// What a place lookup hands back. asked: the name the user typed (UTF-8), or
// empty for the lookup of a settings file's pinyin city.
struct GeocodeResult : WorkerResult {
    std::optional<HttpGetError> failure;
    GeocodeAnswer answer;
    std::string host;
    std::string asked;
    bool byUser = false;
};

// "host:port" of a service, for messages.
std::string ServiceHostText(const ServiceBase& base);

// Asks the forecast service on a worker thread and posts the result.
void DownloadForecast(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url, std::string host,
                      HttpGetOptions options);
// Asks the geocoder on a worker thread and posts the result.
void LookUpPlace(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url, std::string host,
                 std::string asked, bool byUser, HttpGetOptions options);

// The width of UTF-8 text in pixels in a font family (GBK name) at an em size,
// as GDI measures it; FitLine's measurement for the weather strip.
class TextMeasure {
public:
    TextMeasure(const std::string& fontName, int emSize);
    int Width(std::string_view utf8) const;

private:
    UniqueHdc dc_;
    UniqueHfont font_;
    std::optional<ScopedSelectObject> select_;
};

// Replaces a file with new contents: written beside it first, then moved over
// it, so that a reader never finds half of it. False when it could not be.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);
// The whole file, or nothing when it cannot be read or exceeds maxBytes.
std::optional<std::string> ReadWholeFile(const std::wstring& path, std::size_t maxBytes);

} // namespace vemora
