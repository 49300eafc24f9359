#include "app/setup_win.h"

#include "app/clockmain_win.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
#include "online/horoscope.h"
#include "online/pinyin.h"
#include "settings/colours.h"

#include <commctrl.h>

#include <algorithm>

namespace vemora {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_LAYERED | WS_EX_CONTROLPARENT;
constexpr LPARAM kSystemColour = 0x40000000; // item data: a system colour index, resolved when read
constexpr int kColourItemHeight = 16;

struct ColourItem {
    const wchar_t* name;
    LPARAM value; // 0x00BBGGRR, or kSystemColour | COLOR_xxx
};

// The 16 standard colours, the 4 extended ones, then the system colours.
const ColourItem kColourItems[] = {
    {L"黑色", RGB(0, 0, 0)},
    {L"栗色", RGB(128, 0, 0)},
    {L"绿色", RGB(0, 128, 0)},
    {L"橄榄色", RGB(128, 128, 0)},
    {L"藏青色", RGB(0, 0, 128)},
    {L"紫色", RGB(128, 0, 128)},
    {L"蓝绿色", RGB(0, 128, 128)},
    {L"灰色", RGB(128, 128, 128)},
    {L"银色", RGB(192, 192, 192)},
    {L"红色", RGB(255, 0, 0)},
    {L"酸橙色", RGB(0, 255, 0)},
    {L"黄色", RGB(255, 255, 0)},
    {L"蓝色", RGB(0, 0, 255)},
    {L"紫红色", RGB(255, 0, 255)},
    {L"水绿色", RGB(0, 255, 255)},
    {L"白色", RGB(255, 255, 255)},
    {L"钱绿色", RGB(192, 220, 192)},
    {L"天蓝色", RGB(166, 202, 240)},
    {L"奶油色", RGB(255, 251, 240)},
    {L"中灰色", RGB(160, 160, 164)},
    {L"滚动条", kSystemColour | COLOR_SCROLLBAR},
    {L"桌面", kSystemColour | COLOR_BACKGROUND},
    {L"活动标题栏", kSystemColour | COLOR_ACTIVECAPTION},
    {L"非活动标题栏", kSystemColour | COLOR_INACTIVECAPTION},
    {L"菜单", kSystemColour | COLOR_MENU},
    {L"窗口", kSystemColour | COLOR_WINDOW},
    {L"窗口边框", kSystemColour | COLOR_WINDOWFRAME},
    {L"菜单文本", kSystemColour | COLOR_MENUTEXT},
    {L"窗口文本", kSystemColour | COLOR_WINDOWTEXT},
    {L"标题文本", kSystemColour | COLOR_CAPTIONTEXT},
    {L"活动边框", kSystemColour | COLOR_ACTIVEBORDER},
    {L"非活动边框", kSystemColour | COLOR_INACTIVEBORDER},
    {L"应用程序工作区", kSystemColour | COLOR_APPWORKSPACE},
    {L"突出显示", kSystemColour | COLOR_HIGHLIGHT},
    {L"突出显示文本", kSystemColour | COLOR_HIGHLIGHTTEXT},
    {L"按钮表面", kSystemColour | COLOR_BTNFACE},
    {L"按钮阴影", kSystemColour | COLOR_BTNSHADOW},
    {L"灰色文本", kSystemColour | COLOR_GRAYTEXT},
    {L"按钮文本", kSystemColour | COLOR_BTNTEXT},
    {L"非活动标题文本", kSystemColour | COLOR_INACTIVECAPTIONTEXT},
    {L"按钮高光", kSystemColour | COLOR_BTNHIGHLIGHT},
    {L"三维深阴影", kSystemColour | COLOR_3DDKSHADOW},
    {L"三维亮色", kSystemColour | COLOR_3DLIGHT},
    {L"提示文本", kSystemColour | COLOR_INFOTEXT},
    {L"提示背景", kSystemColour | COLOR_INFOBK},
    {L"热跟踪", kSystemColour | COLOR_HOTLIGHT},
    {L"活动标题渐变", kSystemColour | COLOR_GRADIENTACTIVECAPTION},
    {L"非活动标题渐变", kSystemColour | COLOR_GRADIENTINACTIVECAPTION},
    {L"菜单突出显示", kSystemColour | COLOR_MENUHILIGHT},
    {L"菜单栏", kSystemColour | COLOR_MENUBAR},
};

constexpr int kColourCount = static_cast<int>(std::size(kColourItems));
constexpr wchar_t kCustomColour[] = L"自定义";
constexpr int kSwatchRoom = 22; // the swatch and the gap before the name

COLORREF Resolve(LPARAM value) {
    return (value & kSystemColour) ? GetSysColor(static_cast<int>(value & 0xFF)) : static_cast<COLORREF>(value);
}

// The drop-down list as wide as its longest entry, never narrower than the box.
void FitDropDownWidth(HWND box, int extra) {
    ScopedWindowDC dc(box);
    ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    int widest = 0;
    const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == CB_ERR)
            continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(length), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    RECT r{};
    GetWindowRect(box, &r);
    const int width = widest + extra + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    SendMessageW(box, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max<int>(width, r.right - r.left)), 0);
}

// The drop-down list no taller than the room below the box, so that it opens
// downwards and leaves the box in sight.
void FitDropDownHeight(HWND box) {
    RECT r{};
    GetWindowRect(box, &r);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor);
    const int itemHeight = std::max(1, static_cast<int>(SendMessageW(box, CB_GETITEMHEIGHT, 0, 0)));
    const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    const int room = monitor.rcWork.bottom - r.bottom - 2 * GetSystemMetrics(SM_CYBORDER) - 1;
    const int visible = std::clamp(room / itemHeight, 1, std::max(count, 1));
    SendMessageW(box, CB_SETMINVISIBLE, static_cast<WPARAM>(visible), 0);
    // Combo boxes without the visible count take the list's height from their own.
    SetWindowPos(box, nullptr, 0, 0, r.right - r.left, (r.bottom - r.top) + visible * itemHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

Tfrmset::Tfrmset(Tfrmmain& main, ErrorReporter& reporter) : BaseWindow(reporter), main_(main) {
    CreateHandle(kExStyle, kStyle, DialogBounds(326, 248, kStyle, kExStyle), main.ApplicationWindow(),
                 L"TallisVemora：设置……");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    dpi_ = WindowDpi(hwnd_); // the colour boxes ask their item height as they are made
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    CreateControl(hwnd_, {L"STATIC", L"透明度：", SS_LEFT, 24, 24, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"字  体：", SS_LEFT, 166, 24, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"起始颜色：", SS_LEFT, 24, 65, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"终止颜色：", SS_LEFT, 166, 65, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"所在城市：", SS_LEFT, 24, 112, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"你的星座：", SS_LEFT, 166, 112, 56, 13, 0}, f);
    // The rest in the tab order: TrackBar1, cbfont, cbauto, Button1, cborder,
    // cb01, cb02, Edcity, Cbxingzuo, cbgettime.
    TrackBar1 = CreateControl(
        hwnd_, {TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, 80, 16, 80, 33, kTrackBar1}, f);
    SendMessageW(TrackBar1, TBM_SETRANGEMIN, FALSE, 10);
    SendMessageW(TrackBar1, TBM_SETRANGEMAX, FALSE, 255);
    SendMessageW(TrackBar1, TBM_SETPOS, TRUE, 10);
    cbfont = CreateControl(
        hwnd_, {L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 222, 21, 80, 240, kCbfont}, f);
    cbauto = CreateControl(hwnd_, {L"BUTTON", L"开机启动", WS_TABSTOP | BS_AUTOCHECKBOX, 112, 164, 97, 17, kCbauto}, f);
    Button1 = CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 201, 75, 25, kButton1}, f);
    cborder =
        CreateControl(hwnd_, {L"BUTTON", L"整点报时", WS_TABSTOP | BS_AUTOCHECKBOX, 24, 164, 82, 17, kCborder}, f);
    const DWORD colourBox = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    cb01 = CreateControl(hwnd_, {L"COMBOBOX", L"", colourBox, 80, 62, 80, 240, kCb01}, f);
    cb02 = CreateControl(hwnd_, {L"COMBOBOX", L"", colourBox, 222, 62, 80, 240, kCb02}, f);
    FillColourBox(cb01);
    FillColourBox(cb02);
    FitDropDownWidth(cb01, kSwatchRoom);
    FitDropDownWidth(cb02, kSwatchRoom);
    Edcity =
        CreateControl(hwnd_, {L"EDIT", L"南京", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 80, 109, 80, 21, kEdcity}, f);
    Cbxingzuo = CreateControl(
        hwnd_, {L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 222, 109, 80, 240, kCbxingzuo}, f);
    for (const ZodiacSign& sign : ZodiacSigns)
        SendMessageW(Cbxingzuo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GbkToWide(sign.name).c_str()));
    SendMessageW(Cbxingzuo, CB_SETCURSEL, 0, 0);
    cbgettime =
        CreateControl(hwnd_, {L"BUTTON", L"自动校时", WS_TABSTOP | BS_AUTOCHECKBOX, 215, 164, 97, 17, kCbgettime}, f);
    cblunar =
        CreateControl(hwnd_, {L"BUTTON", L"显示农历", WS_TABSTOP | BS_AUTOCHECKBOX, 24, 184, 82, 17, kCblunar}, f);
    layout_.Capture(hwnd_);
    if (dpi_ != kDesignDpi)
        ApplyDpi(dpi_);
}

void Tfrmset::ApplyDpi(int dpi) {
    dpi_ = dpi;
    layout_.Apply(hwnd_, 326, 248, dpi);
    for (HWND box : {cb01, cb02})
        for (WPARAM part : {static_cast<WPARAM>(-1), WPARAM{0}})
            SendMessageW(box, CB_SETITEMHEIGHT, part, ScaleForDpi(kColourItemHeight, dpi));
}

void Tfrmset::FillColourBox(HWND box) {
    for (const ColourItem& item : kColourItems) {
        const LRESULT index = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name));
        SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), item.value);
    }
    SendMessageW(box, CB_SETCURSEL, 0, 0); // black
}

// Selects the entry whose colour is the RGB part of the given one, or, for a
// colour the list does not hold, a custom entry with that colour at its end.
void Tfrmset::ShowColour(HWND box, Argb colour) {
    const COLORREF rgb = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    if (SendMessageW(box, CB_GETCOUNT, 0, 0) > kColourCount)
        SendMessageW(box, CB_DELETESTRING, kColourCount, 0);
    for (int i = 0; i < kColourCount; ++i)
        if (Resolve(kColourItems[i].value) == rgb) {
            SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    const LRESULT custom = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kCustomColour));
    SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(custom), static_cast<LPARAM>(rgb));
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(custom), 0);
}

COLORREF Tfrmset::SelectedColour(HWND colourBox) {
    const LRESULT index = SendMessageW(colourBox, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return RGB(0, 0, 0);
    return Resolve(SendMessageW(colourBox, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void Tfrmset::DrawColourItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const bool selected = item.itemState & ODS_SELECTED;
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int two = ScaleForDpi(2, dpi_);
    RECT swatch{r.left + two, r.top + two, r.left + ScaleForDpi(18, dpi_), r.bottom - two};
    {
        UniqueHbrush brush(CreateSolidBrush(Resolve(static_cast<LPARAM>(item.itemData))));
        FillRect(item.hDC, &swatch, brush.get());
        FrameRect(item.hDC, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    wchar_t name[64] = {};
    SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(name));
    RECT text{swatch.right + ScaleForDpi(4, dpi_), r.top, r.right, r.bottom};
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, name, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(item.hDC, &r);
}

void Tfrmset::ShowModal() {
    FormShow();
    RunModal(main_.Handle());
}

void Tfrmset::FormShow() {
    CentreOnScreen(hwnd_);
    SendMessageW(cbfont, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : ClockSettings.InstalledFonts)
        SendMessageW(cbfont, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GbkToWide(name).c_str()));
    FitDropDownWidth(cbfont, 0);
    // The slider holds its range; a position it had to move to runs its change handler.
    const int wanted = std::clamp(ClockSettings.Transparent, 10, 255);
    if (SendMessageW(TrackBar1, TBM_GETPOS, 0, 0) != wanted) {
        SendMessageW(TrackBar1, TBM_SETPOS, TRUE, wanted);
        TrackBar1Change();
    }
    const int fonts = static_cast<int>(SendMessageW(cbfont, CB_GETCOUNT, 0, 0));
    SendMessageW(cbfont, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    for (int i = 0; i < fonts; ++i) {
        wchar_t name[LF_FACESIZE * 2] = {};
        SendMessageW(cbfont, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
        if (WideToGbk(name) == ClockSettings.Font) { // exact, unlike CB_FINDSTRINGEXACT
            SendMessageW(cbfont, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        }
    }
    SetChecked(cborder, ClockSettings.wake);
    SetChecked(cbauto, ClockSettings.Autostart); // shows the state, toggles nothing
    // A sign outside the twelve in the file shows as the nearest one, so that
    // OK always stores one of the twelve.
    const int signs = static_cast<int>(std::size(ZodiacSigns));
    SendMessageW(Cbxingzuo, CB_SETCURSEL, static_cast<WPARAM>(std::clamp(ClockSettings.Xingzuo, 0, signs - 1)), 0);
    SetWindowTextW(Edcity, GbkToWide(ClockSettings.City).c_str());
    SetChecked(cbgettime, ClockSettings.getnettime);
    SetChecked(cblunar, ClockSettings.Lunar);
    // The colour boxes show the clock's colours; choosing nothing changes nothing.
    ShowColour(cb01, ClockSettings.Startcolor);
    ShowColour(cb02, ClockSettings.Endcolor);
}

// The clock tick run at once for a new look. A tick that fails (a font that
// names no family) is reported as the timer's own failures are, once until a
// tick draws again, and does not keep the dialog from opening: the font box
// is where the user mends it.
void Tfrmset::RedrawClock() {
    try {
        main_.Timer1Timer();
    } catch (...) {
        reporter_.ReportTickFailure(hwnd_, std::current_exception());
    }
}

void Tfrmset::TrackBar1Change() {
    ClockSettings.Transparent = static_cast<int>(SendMessageW(TrackBar1, TBM_GETPOS, 0, 0));
    RedrawClock();
}

void Tfrmset::cbfontChange() {
    const LRESULT index = SendMessageW(cbfont, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return;
    wchar_t name[LF_FACESIZE * 2] = {};
    SendMessageW(cbfont, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
    ClockSettings.Font = WideToGbk(name);
    RedrawClock();
}

void Tfrmset::cb01Change() {
    ClockSettings.Startcolor = ColourBoxToArgb(SelectedColour(cb01), kStartColourAlpha);
}

void Tfrmset::cb02Change() {
    ClockSettings.Endcolor = ColourBoxToArgb(SelectedColour(cb02), kEndColourAlpha);
}

void Tfrmset::cborderClick() {
    ClockSettings.wake = IsChecked(cborder);
}

// The box shows the menu's mark afterwards, also when the registry refused.
void Tfrmset::cbautoClick() {
    try {
        main_.N5Click();
    } catch (...) {
        SetChecked(cbauto, ClockSettings.Autostart);
        throw;
    }
    SetChecked(cbauto, ClockSettings.Autostart);
}

// The calendar's look, like the clock's, changes at once.
void Tfrmset::cblunarClick() {
    ClockSettings.Lunar = IsChecked(cblunar);
    main_.ApplyLunarSetting();
}

void Tfrmset::Button1Click() {
    const std::string pinyin = CityToPinyin(WideToGbk(WindowText(Edcity)));
    if (!pinyin.empty()) {
        ClockSettings.City = pinyin;
        if (ClockSettings.weather)
            main_.ShowWeather(); // a failure ends the handler here; the dialog stays open
    }
    ClockSettings.Xingzuo = static_cast<int>(SendMessageW(Cbxingzuo, CB_GETCURSEL, 0, 0));
    if (ClockSettings.showxz)
        main_.ShowHoroscope();
    ClockSettings.getnettime = IsChecked(cbgettime);
    EndModal();
}

std::optional<LRESULT> Tfrmset::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == TrackBar1 && LOWORD(wParam) != TB_ENDTRACK)
            TrackBar1Change();
        return 0;
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == CBN_DROPDOWN) {
            FitDropDownHeight(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        // Enter presses OK; Esc closes as the close box does.
        static constexpr struct {
            int id, code;
            void (Tfrmset::*handler)();
        } kHandlers[] = {
            {kCbfont, CBN_SELCHANGE, &Tfrmset::cbfontChange}, {kCb01, CBN_SELCHANGE, &Tfrmset::cb01Change},
            {kCb02, CBN_SELCHANGE, &Tfrmset::cb02Change},     {kCborder, BN_CLICKED, &Tfrmset::cborderClick},
            {kCbauto, BN_CLICKED, &Tfrmset::cbautoClick},     {kCblunar, BN_CLICKED, &Tfrmset::cblunarClick},
            {kButton1, BN_CLICKED, &Tfrmset::Button1Click},   {IDOK, BN_CLICKED, &Tfrmset::Button1Click},
            {IDCANCEL, BN_CLICKED, &Tfrmset::EndModal},
        };
        for (const auto& h : kHandlers)
            if (h.id == id && h.code == code) {
                (this->*h.handler)();
                break;
            }
        return 0;
    }
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = ScaleForDpi(kColourItemHeight, dpi_);
        return TRUE;
    case WM_DPICHANGED:
        ApplyDpi(DpiOfDpiChanged(wParam));
        MoveToSuggestedRect(hwnd_, lParam);
        return 0;
    case WM_DRAWITEM:
        DrawColourItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
