#pragma once
#include "base/dpi.h"
#include "base/companion_win.h"
#include "base/handles_win.h"
#include "base/window_win.h"
#include "base/worker_win.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace vemora {

// The weather strip: one glowing line of weather text under the clock, with a
// context menu to change the city.
class WeatherStrip : public CompanionWindow<WeatherStrip> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmweather";
    static constexpr UINT kChangeCityCommand = 1;
    using CityPrompt = std::function<std::optional<std::wstring>()>;

    // owner: the window that owns the strip; cityChanged gets the city the
    // user gave, as upper-case pinyin.
    WeatherStrip(HWND owner, ErrorReporter& reporter, std::function<void(const std::string&)> cityChanged);
    void ChangeCity();
    HMENU ContextMenu() const { return contextMenu_.get(); }
    // The resolution the strip is drawn at: its monitor's.
    int Dpi() const { return dpi_; }
    // Runs when the strip went to a monitor of another resolution, to draw it
    // afresh there.
    std::function<void()> OnDpiChanged;
    // The question for the city; tests answer it themselves.
    void SetCityPrompt(CityPrompt prompt) { prompt_ = std::move(prompt); }

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    std::optional<std::wstring> AskCity();

    std::function<void(const std::string&)> cityChanged_;
    UniqueHmenu contextMenu_;
    CityPrompt prompt_;
    int dpi_ = kDesignDpi;
};

// The error told for a city name of which no reading can be made, naming it as typed.
std::runtime_error UnreadableCityName(const std::wstring& typed);

// What a weather download hands back: the line of the page's links, or why
// there is none.
struct WeatherLine : WorkerResult {
    std::exception_ptr error; // the fetch failed
    bool found = false;       // the page had links: text is the new line
    std::string text;
};
// Fetches the weather page on a worker thread and posts its line to the
// mailbox; returns at once.
void DownloadWeather(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url);

} // namespace vemora
