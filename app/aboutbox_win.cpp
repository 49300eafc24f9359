#include "app/aboutbox_win.h"

#include "base/dpi_win.h"
#include "base/version.h" // made by the build from the project version

namespace vemora {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kWidth = 300, kHeight = 176;
constexpr wchar_t kHomePage[] = L"https://vemora.app/";

} // namespace

AboutBox::AboutBox(ErrorReporter& reporter, Effects& effects, HWND owner, const std::wstring& logPath)
    : BaseWindow(reporter), effects_(effects), owner_(owner) {
    CreateHandle(kExStyle, kStyle, DialogBounds(kWidth, kHeight, kStyle, kExStyle), owner, L"关于 Vemora");
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    const std::wstring lines[] = {
        L"Vemora 桌面时钟 " + std::to_wstring(VEMORA_VERSION_MAJOR) + L"." + std::to_wstring(VEMORA_VERSION_MINOR) +
            L"." + std::to_wstring(VEMORA_VERSION_PATCH),
        L"MIT 许可证发布，版权所有 © 2026 Vemora developers",
        L"天气数据：Open-Meteo.com（CC BY 4.0）",
        L"日志文件：" + logPath,
    };
    int y = 14;
    for (const std::wstring& line : lines) {
        CreateControl(hwnd_, {L"STATIC", line.c_str(), SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 14, y, 272, 16, 0}, f);
        y += 22;
    }
    // The home page, as a link: underlined, in the link colour, opened on a click.
    LOGFONTW underlined{};
    GetObjectW(f, sizeof underlined, &underlined);
    underlined.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&underlined));
    link_ =
        CreateControl(hwnd_, {L"STATIC", kHomePage, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 14, y, 272, 16, kHomePageLink},
                      linkFont_.get());
    CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 211, 140, 75, 25, kOk}, f);
    layout_.Capture(hwnd_);
    if (const int dpi = WindowDpi(hwnd_); dpi != kDesignDpi)
        layout_.Apply(hwnd_, kWidth, kHeight, dpi);
}

void AboutBox::ShowModal() {
    CentreOnScreen(hwnd_);
    RunModal(owner_);
}

std::optional<LRESULT> AboutBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DPICHANGED:
        layout_.Apply(hwnd_, kWidth, kHeight, DpiOfDpiChanged(wParam));
        MoveToSuggestedRect(hwnd_, lParam);
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) != link_)
            return std::nullopt;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) != link_)
            return std::nullopt;
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_HOTLIGHT));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND:
        if (LOWORD(wParam) == kHomePageLink && HIWORD(wParam) == STN_CLICKED)
            effects_.OpenUrl(kHomePage);
        else if (LOWORD(wParam) == kOk || LOWORD(wParam) == kCancel)
            EndModal();
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
