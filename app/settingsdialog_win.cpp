#include "app/settingsdialog_win.h"

#include "app/clockface.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
#include "horoscope/horoscope.h"
#include "settings/colours.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

namespace vemora {

namespace {

// The slider's right end: the brightest the clock is drawn.
constexpr int kMaxTransparencyOnSlider = 250;

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
// The scale box offers the sizes from the smallest to the largest in these
// steps, in percent; any size between may be typed.
constexpr int kScaleChoiceStep = 25;

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

SettingsDialog::SettingsDialog(HWND owner, HWND modalOver, SettingsDialogHost& host, ErrorReporter& reporter)
    : BaseWindow(reporter), modalOver_(modalOver), host_(host) {
    CreateHandle(kExStyle, kStyle, DialogBounds(kClientWidth, kClientHeight, kStyle, kExStyle), owner,
                 L"TallisVemora：设置……");
    SetLayeredWindowAttributes(hwnd_, 0, 220, LWA_ALPHA);
    dpi_ = WindowDpi(hwnd_); // the colour boxes ask their item height as they are made
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    CreateControl(hwnd_, {L"STATIC", L"透明度：", SS_LEFT, 24, 24, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"字  体：", SS_LEFT, 24, 58, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"起始颜色：", SS_LEFT, 24, 99, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"终止颜色：", SS_LEFT, 166, 99, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"所在城市：", SS_LEFT, 24, 146, 56, 13, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"你的星座：", SS_LEFT, 166, 146, 56, 13, 0}, f);
    // The rest in the tab order: transparencySlider, fontBox, autostartCheck, okButton, cancelButton, hourlyAlertCheck,
    // startColourBox, endColourBox, cityEdit, signBox, networkTimeCheck.
    transparencySlider = CreateControl(
        hwnd_, {TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, 80, 16, 190, 33, kTransparencySlider}, f);
    SendMessageW(transparencySlider, TBM_SETRANGEMIN, FALSE, 10);
    // Up to 250: a stored value above it draws fainter (235), which a slider
    // moved to its end must not do.
    SendMessageW(transparencySlider, TBM_SETRANGEMAX, FALSE, kMaxTransparencyOnSlider);
    SendMessageW(transparencySlider, TBM_SETPOS, TRUE, 10);
    transparencyValue = CreateControl(hwnd_, {L"STATIC", L"10", SS_LEFT | SS_NOPREFIX, 274, 24, 36, 13, 0}, f);
    fontBox = CreateControl(
        hwnd_, {L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 80, 55, 222, 240, kFontBox}, f);
    autostartCheck = CreateControl(
        hwnd_, {L"BUTTON", L"开机启动", WS_TABSTOP | BS_AUTOCHECKBOX, 112, 198, 97, 17, kAutostartCheck}, f);
    okButton = CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 80, 291, 75, 25, kOkButton}, f);
    cancelButton =
        CreateControl(hwnd_, {L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 170, 291, 75, 25, kCancelButton}, f);
    hourlyAlertCheck = CreateControl(
        hwnd_, {L"BUTTON", L"整点报时", WS_TABSTOP | BS_AUTOCHECKBOX, 24, 198, 82, 17, kHourlyAlertCheck}, f);
    const DWORD colourBox = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    startColourBox = CreateControl(hwnd_, {L"COMBOBOX", L"", colourBox, 80, 96, 80, 240, kStartColourBox}, f);
    endColourBox = CreateControl(hwnd_, {L"COMBOBOX", L"", colourBox, 222, 96, 80, 240, kEndColourBox}, f);
    FillColourBox(startColourBox);
    FillColourBox(endColourBox);
    FitDropDownWidth(startColourBox, kSwatchRoom);
    FitDropDownWidth(endColourBox, kSwatchRoom);
    cityEdit = CreateControl(
        hwnd_, {L"EDIT", L"南京", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 80, 143, 80, 21, kCityEdit}, f);
    signBox = CreateControl(
        hwnd_, {L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 222, 143, 80, 240, kSignBox}, f);
    for (const ZodiacSign& sign : ZodiacSigns)
        SendMessageW(signBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GbkToWide(sign.name).c_str()));
    SendMessageW(signBox, CB_SETCURSEL, 0, 0);
    networkTimeCheck = CreateControl(
        hwnd_, {L"BUTTON", L"自动校时", WS_TABSTOP | BS_AUTOCHECKBOX, 215, 198, 97, 17, kNetworkTimeCheck}, f);
    lunarCheck =
        CreateControl(hwnd_, {L"BUTTON", L"显示农历", WS_TABSTOP | BS_AUTOCHECKBOX, 24, 218, 82, 17, kLunarCheck}, f);
    CreateFaceControls();
    layout_.Capture(hwnd_);
    if (dpi_ != kDesignDpi)
        ApplyDpi(dpi_);
}

void SettingsDialog::ApplyDpi(int dpi) {
    dpi_ = dpi;
    layout_.Apply(hwnd_, kClientWidth, kClientHeight, dpi);
    for (HWND box : {startColourBox, endColourBox})
        for (WPARAM part : {static_cast<WPARAM>(-1), WPARAM{0}})
            SendMessageW(box, CB_SETITEMHEIGHT, part, ScaleForDpi(kColourItemHeight, dpi));
}

// The clock's face, under the check boxes and before OK: three boxes in the
// columns of those above, then the size, which may also be typed (50..300).
void SettingsDialog::CreateFaceControls() {
    HFONT f = font_.get();
    secondsCheck =
        CreateControl(hwnd_, {L"BUTTON", L"显示秒", WS_TABSTOP | BS_AUTOCHECKBOX, 112, 218, 97, 17, kSecondsCheck}, f);
    hour12Check =
        CreateControl(hwnd_, {L"BUTTON", L"12小时制", WS_TABSTOP | BS_AUTOCHECKBOX, 215, 218, 97, 17, kHour12Check}, f);
    dateCheck =
        CreateControl(hwnd_, {L"BUTTON", L"显示日期", WS_TABSTOP | BS_AUTOCHECKBOX, 24, 238, 82, 17, kDateCheck}, f);
    CreateControl(hwnd_, {L"STATIC", L"大  小：", SS_LEFT, 24, 264, 56, 13, 0}, f);
    scaleBox = CreateControl(
        hwnd_,
        {L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 80, 261, 80, 240, kScaleBox}, f);
    for (int percent = kMinScale; percent <= kMaxScale; percent += kScaleChoiceStep)
        SendMessageW(scaleBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((std::to_wstring(percent) + L"%").c_str()));
    SendMessageW(scaleBox, CB_LIMITTEXT, 5, 0);
}

std::optional<int> SettingsDialog::ChosenScale() const {
    std::wstring text = WindowText(scaleBox);
    // A Chinese input method may type full-width digits and ％.
    for (wchar_t& c : text)
        if (c >= L'０' && c <= L'９')
            c = static_cast<wchar_t>(L'0' + (c - L'０'));
    while (!text.empty() && (text.back() == L'%' || text.back() == L'％' || text.back() == L' '))
        text.pop_back();
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return std::nullopt;
    return std::clamp(std::stoi(text), kMinScale, kMaxScale);
}

void SettingsDialog::FillColourBox(HWND box) {
    for (const ColourItem& item : kColourItems) {
        const LRESULT index = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name));
        SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), item.value);
    }
    SendMessageW(box, CB_SETCURSEL, 0, 0); // black
}

// Selects the entry whose colour is the RGB part of the given one, or, for a
// colour the list does not hold, a custom entry with that colour at its end.
void SettingsDialog::ShowColour(HWND box, Argb colour) {
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

COLORREF SettingsDialog::SelectedColour(HWND colourBox) {
    const LRESULT index = SendMessageW(colourBox, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return RGB(0, 0, 0);
    return Resolve(SendMessageW(colourBox, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void SettingsDialog::DrawColourItem(const DRAWITEMSTRUCT& item) {
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

void SettingsDialog::ShowModal() {
    ShowCurrentSettings();
    RunModal(modalOver_);
}

// 取消, Esc and the close box: what took effect at once goes back to how it
// was when the dialog opened; the rest was never applied.
void SettingsDialog::Cancel() {
    const Settings& current = host_.CurrentSettings();
    if (current.transparency != opened_.transparency || current.font != opened_.font ||
        current.startColour != opened_.startColour || current.endColour != opened_.endColour ||
        current.hourlyAlert != opened_.hourlyAlert)
        Change(SettingsChange::Look, [&](Settings& s) {
            s.transparency = opened_.transparency;
            s.font = opened_.font;
            s.startColour = opened_.startColour;
            s.endColour = opened_.endColour;
            s.hourlyAlert = opened_.hourlyAlert;
        });
    if (current.lunar != opened_.lunar)
        Change(SettingsChange::Lunar, [&](Settings& s) { s.lunar = opened_.lunar; });
    EndModal();
}

void SettingsDialog::ShowCurrentSettings() {
    CentreOnScreen(hwnd_);
    const Settings& current = host_.CurrentSettings();
    opened_ = current;
    SendMessageW(fontBox, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : host_.InstalledFonts())
        SendMessageW(fontBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GbkToWide(name).c_str()));
    FitDropDownWidth(fontBox, 0);
    // The slider holds its range; a position it had to move to runs its change handler.
    const int wanted = std::clamp(current.transparency, 10, kMaxTransparencyOnSlider);
    if (SendMessageW(transparencySlider, TBM_GETPOS, 0, 0) != wanted) {
        SendMessageW(transparencySlider, TBM_SETPOS, TRUE, wanted);
        TransparencyChanged();
    }
    SetWindowTextW(transparencyValue, std::to_wstring(wanted).c_str());
    const int fonts = static_cast<int>(SendMessageW(fontBox, CB_GETCOUNT, 0, 0));
    SendMessageW(fontBox, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    for (int i = 0; i < fonts; ++i) {
        wchar_t name[LF_FACESIZE * 2] = {};
        SendMessageW(fontBox, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
        if (WideToGbk(name) == current.font) { // exact, unlike CB_FINDSTRINGEXACT
            SendMessageW(fontBox, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        }
    }
    SetChecked(hourlyAlertCheck, current.hourlyAlert);
    SetChecked(autostartCheck, host_.AutostartOn()); // shows the state, toggles nothing
    // A sign outside the twelve in the file shows as the nearest one, so that
    // OK always stores one of the twelve.
    const int signs = static_cast<int>(std::size(ZodiacSigns));
    SendMessageW(signBox, CB_SETCURSEL, static_cast<WPARAM>(std::clamp(current.sign, 0, signs - 1)), 0);
    SetWindowTextW(cityEdit, GbkToWide(current.city).c_str());
    SetChecked(networkTimeCheck, current.networkTime);
    SetChecked(lunarCheck, current.lunar);
    SetChecked(secondsCheck, current.showSeconds);
    SetChecked(hour12Check, current.hour12);
    SetChecked(dateCheck, current.showDate);
    SetWindowTextW(scaleBox, (std::to_wstring(current.scale) + L"%").c_str());
    // The colour boxes show the clock's colours; choosing nothing changes nothing.
    ShowColour(startColourBox, current.startColour);
    ShowColour(endColourBox, current.endColour);
}

// A new look is drawn at once. A drawing that fails (a font that names no
// family) is reported as the timer's own failures are, once until a tick
// draws again, and does not keep the dialog from opening: the font box is
// where the user mends it.
void SettingsDialog::Change(SettingsChange what, const std::function<void(Settings&)>& edit) {
    Settings changed = host_.CurrentSettings();
    edit(changed);
    if (what != SettingsChange::Look && what != SettingsChange::Face) {
        host_.ChangeSettings(changed, what);
        return;
    }
    try {
        host_.ChangeSettings(changed, what);
    } catch (...) {
        reporter_.ReportTickFailure(hwnd_, std::current_exception());
    }
}

void SettingsDialog::TransparencyChanged() {
    const auto value = static_cast<int>(SendMessageW(transparencySlider, TBM_GETPOS, 0, 0));
    SetWindowTextW(transparencyValue, std::to_wstring(value).c_str());
    Change(SettingsChange::Look, [&](Settings& s) { s.transparency = value; });
}

void SettingsDialog::FontChosen() {
    const LRESULT index = SendMessageW(fontBox, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return;
    wchar_t name[LF_FACESIZE * 2] = {};
    SendMessageW(fontBox, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name));
    const auto value = WideToGbk(name);
    Change(SettingsChange::Look, [&](Settings& s) { s.font = value; });
}

void SettingsDialog::StartColourChosen() {
    const auto value = ColourBoxToArgb(SelectedColour(startColourBox), kStartColourAlpha);
    Change(SettingsChange::Kept, [&](Settings& s) { s.startColour = value; }); // drawn with the next tick
}

void SettingsDialog::EndColourChosen() {
    const auto value = ColourBoxToArgb(SelectedColour(endColourBox), kEndColourAlpha);
    Change(SettingsChange::Kept, [&](Settings& s) { s.endColour = value; });
}

void SettingsDialog::HourlyAlertClicked() {
    const auto value = IsChecked(hourlyAlertCheck);
    Change(SettingsChange::Kept, [&](Settings& s) { s.hourlyAlert = value; });
}

// The box shows the menu's mark afterwards, also when the registry refused.
void SettingsDialog::AutostartClicked() {
    try {
        host_.ToggleAutostart();
    } catch (...) {
        SetChecked(autostartCheck, host_.AutostartOn());
        throw;
    }
    SetChecked(autostartCheck, host_.AutostartOn());
}

// The calendar's look, like the clock's, changes at once.
void SettingsDialog::LunarClicked() {
    const auto value = IsChecked(lunarCheck);
    Change(SettingsChange::Lunar, [&](Settings& s) { s.lunar = value; });
}

void SettingsDialog::Accept() {
    // Only a changed city is looked up: the place the user picked stays
    // through every 确定 that leaves the box as it was shown.
    const std::wstring city = WindowText(cityEdit);
    if (city != GbkToWide(host_.CurrentSettings().city))
        host_.CityTyped(city); // a name without a reading ends the handler here; the dialog stays open
    const int sign = static_cast<int>(SendMessageW(signBox, CB_GETCURSEL, 0, 0));
    Change(SettingsChange::Sign, [&](Settings& s) { s.sign = sign; });
    const bool networkTime = IsChecked(networkTimeCheck);
    Change(SettingsChange::Kept, [&](Settings& s) { s.networkTime = networkTime; });
    // A size that names no number keeps the clock's.
    const int scale = ChosenScale().value_or(host_.CurrentSettings().scale);
    const bool seconds = IsChecked(secondsCheck), hour12 = IsChecked(hour12Check), date = IsChecked(dateCheck);
    const Settings& current = host_.CurrentSettings();
    if (seconds != current.showSeconds || hour12 != current.hour12 || date != current.showDate ||
        scale != current.scale)
        Change(SettingsChange::Face, [&](Settings& s) {
            s.showSeconds = seconds;
            s.hour12 = hour12;
            s.showDate = date;
            s.scale = scale;
        });
    EndModal();
}

std::optional<LRESULT> SettingsDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == transparencySlider && LOWORD(wParam) != TB_ENDTRACK)
            TransparencyChanged();
        return 0;
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == CBN_DROPDOWN) {
            FitDropDownHeight(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        // Enter presses OK; Esc cancels as 取消 and the close box do.
        static constexpr struct {
            int id, code;
            void (SettingsDialog::*handler)();
        } kHandlers[] = {
            {kFontBox, CBN_SELCHANGE, &SettingsDialog::FontChosen},
            {kStartColourBox, CBN_SELCHANGE, &SettingsDialog::StartColourChosen},
            {kEndColourBox, CBN_SELCHANGE, &SettingsDialog::EndColourChosen},
            {kHourlyAlertCheck, BN_CLICKED, &SettingsDialog::HourlyAlertClicked},
            {kAutostartCheck, BN_CLICKED, &SettingsDialog::AutostartClicked},
            {kLunarCheck, BN_CLICKED, &SettingsDialog::LunarClicked},
            {kOkButton, BN_CLICKED, &SettingsDialog::Accept},
            {IDOK, BN_CLICKED, &SettingsDialog::Accept},
            {kCancelButton, BN_CLICKED, &SettingsDialog::Cancel},
            {IDCANCEL, BN_CLICKED, &SettingsDialog::Cancel},
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
