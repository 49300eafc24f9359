#include "online/weather_win.h"

#include "base/dpi_win.h"
#include "base/inputbox_win.h"
#include "base/text_win.h"
#include "online/fetch_win.h"
#include "online/pinyin.h"
#include "online/weather.h"

namespace vemora {

WeatherStrip::WeatherStrip(HWND owner, ErrorReporter& reporter, std::function<void(const std::string&)> cityChanged)
    : CompanionWindow(reporter), cityChanged_(std::move(cityChanged)) {
    CreateHandle(0, WS_POPUP, RECT{0, 0, 461, 39}, owner, L"frmweather");
    dpi_ = WindowDpi(hwnd_);
    if (dpi_ != kDesignDpi)
        SetWindowPos(hwnd_, nullptr, 0, 0, ScaleForDpi(461, dpi_), ScaleForDpi(39, dpi_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    contextMenu_.reset(CreatePopupMenu());
    AppendMenuW(contextMenu_.get(), MF_STRING, kChangeCityCommand, L"更改城市");
}

std::optional<std::wstring> WeatherStrip::AskCity() {
    if (prompt_)
        return prompt_();
    InputBox box(reporter_, hwnd_, L"更改城市", L"请输入你所在城市");
    return box.Ask();
}

void WeatherStrip::ChangeCity() {
    // Cancel gives the empty default; 市 alone or no reading start nothing.
    const std::wstring answer = AskCity().value_or(L"");
    const std::string pinyin = CityToPinyin(WideToGbk(answer));
    if (pinyin.empty()) {
        // A name with nothing to read is told, not dropped without a word.
        if (CityNameUnreadable(WideToGbk(answer)))
            reporter_.Report(hwnd_, std::make_exception_ptr(UnreadableCityName(answer)));
        return;
    }
    if (cityChanged_)
        cityChanged_(pinyin);
}

std::optional<LRESULT> WeatherStrip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CONTEXTMENU:
        TrackContextMenu(contextMenu_.get(), lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && LOWORD(wParam) == kChangeCityCommand)
            ChangeCity();
        return 0;
    case WM_DPICHANGED:
        dpi_ = DpiOfDpiChanged(wParam);
        MoveToSuggestedRect(hwnd_, lParam);
        if (OnDpiChanged)
            OnDpiChanged();
        return 0;
    default:
        return std::nullopt;
    }
}

std::runtime_error UnreadableCityName(const std::wstring& typed) {
    return std::runtime_error(WideToUtf8(L"无法识别的城市名：" + typed));
}

void DownloadWeather(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url) {
    StartWorker([mailbox = std::move(mailbox), generation, url = std::move(url)] {
        auto line = std::make_unique<WeatherLine>();
        line->generation = generation;
        try {
            line->found = BuildWeatherText(FetchPageText(url), line->text);
        } catch (...) {
            line->error = std::current_exception();
        }
        mailbox->Post(std::move(line));
    });
}

} // namespace vemora
