#include "weather/weatherstrip_win.h"
#include "base/controls_win.h"

#include "base/dpi_win.h"
#include "base/inputbox_win.h"
#include "base/text_win.h"
#include "weather/placelistbox_win.h"

#include <stdexcept>
#include <commctrl.h>

#include <algorithm>

namespace vemora {

WeatherStrip::WeatherStrip(HWND owner, ErrorReporter& reporter) : CompanionWindow(reporter) {
    CreateHandle(0, WS_POPUP, RECT{0, 0, 461, 39}, owner, L"frmweather");
    dpi_ = WindowDpi(hwnd_);
    if (dpi_ != kDesignDpi)
        SetWindowPos(hwnd_, nullptr, 0, 0, ScaleForDpi(461, dpi_), ScaleForDpi(39, dpi_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    contextMenu_.reset(CreatePopupMenu());
    AppendMenuW(contextMenu_.get(), MF_STRING, kChangeCityCommand, L"更改城市");
    AttachTip(owner);
}

void WeatherStrip::AttachTip(HWND owner) {
    tipWindow_.reset(CreateWindowTip(hwnd_, owner));
    if (!tipWindow_)
        return; // the strip works without its tip
    // Several lines: the tip breaks at "\n" once it has a width.
    SendMessageW(tipWindow_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
}

void WeatherStrip::SetShown(std::wstring line, std::wstring tip) {
    line_ = std::move(line);
    tip_ = std::move(tip);
    if (tipWindow_)
        SendMessageW(tipWindow_.get(), TTM_ACTIVATE, !tip_.empty(), 0);
}

std::wstring WeatherStrip::ReadAloudText() const {
    return tip_.empty() ? line_ : line_ + L"\r\n" + tip_;
}

std::optional<std::size_t> WeatherStrip::AskPlace(const std::wstring& name, const std::vector<std::wstring>& labels) {
    if (picker_)
        return picker_(labels);
    PlaceListBox box(reporter_, hwnd_, L"有几个地方叫" + name + L"，请选择：", labels);
    return box.Ask();
}

std::optional<std::wstring> WeatherStrip::AskCity() {
    if (prompt_)
        return prompt_();
    InputBox box(reporter_, hwnd_, L"更改城市", L"请输入你所在城市");
    return box.Ask();
}

void WeatherStrip::ChangeCity() {
    const std::wstring answer = AskCity().value_or(L"");
    if (OnCityTyped)
        OnCityTyped(answer);
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
    case WM_GETTEXT:
        if (line_.empty())
            return std::nullopt;
        if (wParam == 0 || lParam == 0)
            return 0;
        {
            const std::wstring text = ReadAloudText();
            const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
            std::copy_n(text.c_str(), copied, reinterpret_cast<wchar_t*>(lParam));
            reinterpret_cast<wchar_t*>(lParam)[copied] = L'\0';
            return static_cast<LRESULT>(copied);
        }
    case WM_GETTEXTLENGTH:
        if (line_.empty())
            return std::nullopt;
        return static_cast<LRESULT>(ReadAloudText().size());
    case WM_NOTIFY: {
        NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        if (!tipWindow_ || header.hwndFrom != tipWindow_.get() || header.code != TTN_GETDISPINFOW)
            return std::nullopt;
        reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = tip_.data();
        return 0;
    }
    case kFeedMessage:
        if (OnFeedMessage)
            OnFeedMessage(lParam);
        return 0;
    case WM_TIMER:
        if (OnTimer)
            OnTimer(wParam);
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

} // namespace vemora
