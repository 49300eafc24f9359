#pragma once
#include "app/handles_win.h"
#include "app/window_win.h"

#include <functional>
#include <optional>
#include <string>

namespace vemora {

class Tfrmmain;

// The weather strip: one glowing line of weather text under the clock, with a
// context menu to change the city.
class Tfrmweather : public BaseWindow<Tfrmweather> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmweather";
    static constexpr UINT kN1 = 1;
    using CityPrompt = std::function<std::optional<std::wstring>()>;

    Tfrmweather(Tfrmmain& main, ErrorReporter& reporter);
    void Show();
    void Close();
    void N1Click();
    HMENU PopupMenu1() const { return popupMenu_.get(); }
    // The question for the city; tests answer it themselves.
    void SetCityPrompt(CityPrompt prompt) { prompt_ = std::move(prompt); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    std::optional<std::wstring> AskCity();

    Tfrmmain& main_;
    UniqueHmenu popupMenu_;
    CityPrompt prompt_;
};

// The weather page's address for the current settings.
std::string CurrentWeatherUrl();

} // namespace vemora
