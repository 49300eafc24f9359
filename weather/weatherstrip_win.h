#pragma once
#include "base/dpi.h"
#include "base/companion_win.h"
#include "base/handles_win.h"
#include "base/window_win.h"

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

    // owner: the window that owns the strip.
    WeatherStrip(HWND owner, ErrorReporter& reporter);
    // 更改城市: asks for a city and hands the answer, as typed, to OnCityTyped
    // (a cancel gives an empty answer).
    void ChangeCity();
    std::function<void(const std::wstring& typed)> OnCityTyped;
    HMENU ContextMenu() const { return contextMenu_.get(); }
    // The resolution the strip is drawn at: its monitor's.
    int Dpi() const { return dpi_; }
    // Runs when the strip went to a monitor of another resolution, to draw it
    // afresh there.
    std::function<void()> OnDpiChanged;
    // The question for the city; tests answer it themselves.
    void SetCityPrompt(CityPrompt prompt) { prompt_ = std::move(prompt); }

    // The feed's own messages, which the strip carries for it: what its
    // requests post (kFeedMessage) and its timers.
    static constexpr UINT kFeedMessage = WM_APP + 1;
    std::function<void(LPARAM)> OnFeedMessage;
    std::function<void(UINT_PTR)> OnTimer;
    // Which of several places the user means (an index into labels), or
    // nothing on 取消; tests answer it themselves.
    using PlacePicker = std::function<std::optional<std::size_t>(const std::vector<std::wstring>& labels)>;
    void SetPlacePicker(PlacePicker picker) { picker_ = std::move(picker); }
    std::optional<std::size_t> AskPlace(const std::wstring& name, const std::vector<std::wstring>& labels);

    // The line the strip shows and its tooltip (lines broken by "\r\n"); an
    // empty tip has no tooltip. WM_GETTEXT answers both, the line first, so
    // that a screen reader hears what the pointer would show.
    void SetShown(std::wstring line, std::wstring tip);
    std::wstring ReadAloudText() const;
    const std::wstring& ShownLine() const { return line_; }
    const std::wstring& TipText() const { return tip_; }
    HWND TipWindow() const { return tipWindow_.get(); }

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::optional<std::wstring> AskCity();

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

} // namespace vemora
