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
#include <vector>

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

    // The forecast service's way to 更改城市: the name as typed and its
    // upper-case pinyin (empty when it has none); true when it took the name,
    // otherwise the pinyin goes to cityChanged as before.
    std::function<bool(const std::wstring& name, const std::string& pinyin)> OnPlaceName;
    // Which of several places the user means (an index into labels), or
    // nothing on 取消; tests answer it themselves.
    using PlacePicker = std::function<std::optional<std::size_t>(const std::vector<std::wstring>& labels)>;
    void SetPlacePicker(PlacePicker picker) { picker_ = std::move(picker); }
    std::optional<std::size_t> AskPlace(const std::wstring& name, const std::vector<std::wstring>& labels);

    // The line the strip shows, which WM_GETTEXT answers (screen readers read
    // it), and its tooltip; an empty tip has no tooltip.
    void SetShown(std::wstring line, std::wstring tip);
    const std::wstring& ShownLine() const { return line_; }
    const std::wstring& TipText() const { return tip_; }
    HWND TipWindow() const { return tipWindow_.get(); }

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    std::optional<std::wstring> AskCity();

    std::function<void(const std::string&)> cityChanged_;
    UniqueHmenu contextMenu_;
    void AttachTip(HWND owner);

    CityPrompt prompt_;
    PlacePicker picker_;
    int dpi_ = kDesignDpi;
    std::wstring line_;
    std::wstring tip_;
    UniqueHwnd tipWindow_;
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
