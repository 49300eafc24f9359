#include "app/clockmain_win.h"

#include "app/autostart.h"
#include "settings/settings_win.h"
#include "base/text_win.h"
#include "calendar/calpopup_win.h"
#include "online/weather_win.h"
#include "online/xingzuo_win.h"
#include "online/nettime_win.h"
#include "power/power_win.h"
#include "power/shutdowndlg_win.h"
#include "render/glow_win.h"
#include "app/setup_win.h"

#include <mmsystem.h>

#include <algorithm>
#include <random>

namespace vemora {

namespace {

constexpr UINT_PTR kTimer1 = 1;

std::string LocaleString(LCTYPE type, const char* fallback) {
    wchar_t buffer[80] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80))
        return fallback;
    return WideToGbk(buffer);
}

// The user's long time format, as the locale describes it.
TimeFormat ReadTimeFormat() {
    TimeFormat f;
    f.twelveHour = LocaleString(LOCALE_ITIME, "1") == "0";
    f.leadingZero = LocaleString(LOCALE_ITLZERO, "0") == "1";
    f.designatorFirst = LocaleString(LOCALE_ITIMEMARKPOSN, "0") == "1";
    f.separator = LocaleString(LOCALE_STIME, ":");
    f.amDesignator = LocaleString(LOCALE_S1159, "AM");
    f.pmDesignator = LocaleString(LOCALE_S2359, "PM");
    return f;
}

DateTimeParts SystemLocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    DateTimeParts t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    t.dayOfWeek = st.wDayOfWeek;
    return t;
}

// Whether the settings file holds the key at all.
bool HoldsKey(ProfileStore& store, const char* key) {
    const std::string missing = "<missing>";
    return store.Read(key, missing) != missing;
}

// The stay-on-top mark as the clock starts with it: the stored one, or on
// when the file does not hold it (the first start).
bool StartsOnTop(const std::wstring& settingsPath) {
    IniFileStore store(settingsPath);
    if (!HoldsKey(store, "Top"))
        return true;
    TClockSettings stored;
    LoadSettings(store, stored);
    return stored.Top;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The hidden top-level window that owns the program's windows: owned windows
// get no taskbar button, so the clock shows none.
class ApplicationWindowClass {
public:
    static HWND Create(const std::wstring& title) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW existing{sizeof existing};
        if (!GetClassInfoExW(instance, L"TApplication", &existing)) {
            WNDCLASSEXW wc{sizeof wc};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = instance;
            wc.lpszClassName = L"TApplication";
            RegisterClassExW(&wc);
        }
        return CreateWindowExW(0, L"TApplication", title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                               nullptr);
    }
};

} // namespace

Tfrmmain::Tfrmmain(Effects& effects, ErrorReporter& reporter, MainOptions options)
    : BaseWindow(reporter), effects_(effects), options_(std::move(options)) {
    if (options_.settingsPath.empty())
        options_.settingsPath = DefaultSettingsPath();
    if (options_.exePath.empty())
        options_.exePath = ModulePath();
    if (options_.runKey.empty())
        options_.runKey = kRunKey;
    appWindow_.reset(ApplicationWindowClass::Create(reporter.Title()));
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    // Created on top or not as the file says, rather than moved afterwards:
    // Wine keeps an owned window beside its owner and ignores a move out of
    // the topmost band while the owner is the next window down.
    CreateHandle(StartsOnTop(options_.settingsPath) ? WS_EX_TOPMOST : 0, WS_POPUP,
                 RECT{screenWidth - kClockWidth, 0, screenWidth, kClockHeight}, appWindow_.get(), L"frmmain",
                 CS_DBLCLKS);
    FormCreate();
}

Tfrmmain::~Tfrmmain() {
    if (hwnd_)
        KillTimer(hwnd_, kTimer1);
    frmcal_.reset();
    frmxingzuo_.reset();
    frmweather_.reset();
    frmshutdown_.reset();
    frmset_.reset();
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

void Tfrmmain::FormCreate() {
    ClockSettings.Font = kFontSongTi;
    ClockSettings.Transparent = 250;
    ClockSettings.Top = true;
    // The window stands at the top right corner from its creation.
    ClockSettings.InstalledFonts.clear();
    LoadSettingsFile();
    timeFormat_ = ReadTimeFormat();

    popupMenu_.reset(CreatePopupMenu());
    const struct {
        UINT id;
        const wchar_t* caption;
    } items[] = {
        {N2, L"置顶(&F)"},     {N7, L"显示天气(&W)"}, {N9, L"显示日历(&C)"},
        {N8, L"今日运势(&J)"}, {N5, L"开机启动(&R)"}, {N6, L"设置(&S)"},
        {N1, L"定时设定(&T)"}, {N4, L"作者主页(&A)"}, {N3, L"退出(&X)"},
    };
    for (const auto& item : items)
        AppendMenuW(popupMenu_.get(), MF_STRING, item.id, item.caption);
    ReadAutostartState();
    SyncMenuChecks();

    HRSRC info = FindResourceW(nullptr, L"RING", L"WAV");
    HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
    ClockSettings.RingSound = data ? LockResource(data) : nullptr;
}

void Tfrmmain::LoadSettingsFile() {
    IniFileStore store(options_.settingsPath);
    LoadSettings(store, ClockSettings);
    // Without a stored "Top" (the first start) the clock stays on top, as it
    // was created, and N2 says so.
    if (!HoldsKey(store, "Top"))
        ClockSettings.Top = true;
}

void Tfrmmain::SaveSettingsFile() {
    IniFileStore store(options_.settingsPath);
    SaveSettings(store, ClockSettings);
}

void Tfrmmain::CreateCompanions() {
    // The dialogs are owned by the application window, as the companions are,
    // and run modal over the clock: windows owned by the clock would follow
    // it into the topmost band and, under Wine, keep it from going back there.
    frmset_ = std::make_unique<Tfrmset>(*this, reporter_);
    frmshutdown_ = std::make_unique<Tfrmshutdown>(
        appWindow_.get(), hwnd_, reporter_, [this] { return Now(); }, [this] { SyncMenuChecks(); });
    frmweather_ = std::make_unique<Tfrmweather>(appWindow_.get(), reporter_, [this] { ShowWeather(); });
    frmxingzuo_ = std::make_unique<Tfrmxingzuo>(appWindow_.get(), reporter_);
    uxTheme_ = UxTheme::Load();
    frmcal_ = std::make_unique<Tfrmcal>(appWindow_.get(), reporter_, uxTheme_, [this] { return Now(); });
}

void Tfrmmain::Show() {
    // A failure in the show handler (a weather download at start-up) skips the
    // rest of it; the clock still shows and ticks.
    try {
        FormShow();
    } catch (...) {
        reporter_.Report(hwnd_, std::current_exception());
    }
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void Tfrmmain::FillInstalledFonts() {
    // Only families: the framework's "Default" entry names none and would
    // stop the clock drawing when chosen.
    std::vector<std::string> fonts;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    ScopedWindowDC screen(nullptr);
    EnumFontFamiliesExW(
        screen.get(), &query,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(WideToGbk(font->lfFaceName));
            return 1;
        },
        reinterpret_cast<LPARAM>(&fonts), 0);
    auto lessNoCase = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    };
    std::sort(fonts.begin(), fonts.end(), lessNoCase);
    fonts.erase(std::unique(fonts.begin(), fonts.end()), fonts.end());
    // Vertical-writing variants ("@宋体") are of no use for the clock.
    std::erase_if(fonts, [](const std::string& f) { return f.find('@') != std::string::npos; });
    ClockSettings.InstalledFonts = std::move(fonts);
}

void Tfrmmain::FormShow() {
    SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (frmweather_)
        SetWindowLongW(frmweather_->Handle(), GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    ShowWindow(appWindow_.get(), SW_HIDE);
    FillInstalledFonts();
    ClockSettings.Font = ClockFontAtStart(ClockSettings.Font, ClockSettings.InstalledFonts, kFontYaHei);
    SetTimerEnabled(true);
    if (ClockSettings.weather)
        ShowWeather();
    if (ClockSettings.showxz)
        ShowHoroscope();
    if (ClockSettings.getnettime)
        SetClockFromNetwork(effects_);
}

void Tfrmmain::SetTimerEnabled(bool enabled) {
    if (enabled && !timerEnabled_)
        SetTimer(hwnd_, kTimer1, 1000, nullptr);
    else if (!enabled && timerEnabled_)
        KillTimer(hwnd_, kTimer1);
    timerEnabled_ = enabled;
}

DateTimeParts Tfrmmain::Now() const { return options_.clock ? options_.clock() : SystemLocalNow(); }

void Tfrmmain::Timer1Timer() {
    const DateTimeParts now = Now();
    const std::string timeText = FormatTimeText(timeFormat_, now.hour, now.minute, now.second);

    if (ActionDue(ClockSettings.Armed, EncodeDateTime(now), ClockSettings.ScheduledAction.due)) {
        ClockSettings.Armed = false; // disarmed before anything is carried out
        SyncMenuChecks();
        switch (ClockSettings.ScheduledAction.kind) {
        case 0:
            ShutdownComputer(effects_);
            break;
        case 1:
            effects_.PlaySoundMemory(ClockSettings.RingSound, SND_ASYNC | SND_MEMORY);
            break;
        case 2:
            RebootComputer(effects_);
            break;
        default:
            break;
        }
    }

    const TickPlan plan = PlanTick(TimeTail(timeText), ClockSettings.wake, ClockSettings.weather);
    if (plan.shake) {
        ShakeWindow(hwnd_);
        return;
    }
    if (plan.refreshWeather)
        ShowWeather();
    clockRenderer_.Render(hwnd_, GbkToWide(timeText), ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor,
                          ClockSettings.Endcolor, ClockSettings.Transparent);
    lastTimeText_ = timeText;
    ++drawCount_;
    reporter_.TickDrawn();
}

void Tfrmmain::ShakeWindow(HWND window) {
    RECT kept{};
    GetWindowRect(window, &kept);
    RECT rect = kept;
    std::mt19937 engine(static_cast<unsigned>(GetTickCount64()));
    auto random = [&engine](int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine); };
    for (int i = 0; i < kShakeSteps; ++i) {
        const ShakeStep step = NextShakeStep(random);
        OffsetRect(&rect, step.dx, step.dy);
        MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        Sleep(kShakePauseMs);
    }
    MoveWindow(window, kept.left, kept.top, kept.right - kept.left, kept.bottom - kept.top, TRUE);
    ++shakeCount_;
}

void Tfrmmain::FormMouseMove() {
    DragWithMouse();
    if (ClockSettings.weather)
        PlaceWeatherStrip();
}

void Tfrmmain::PlaceWeatherStrip() {
    if (!frmweather_)
        return;
    RECT clock{};
    GetWindowRect(hwnd_, &clock);
    RECT strip{};
    GetWindowRect(frmweather_->Handle(), &strip);
    MoveWindow(frmweather_->Handle(), clock.left, clock.top + (clock.bottom - clock.top) - 8,
               strip.right - strip.left, strip.bottom - strip.top, TRUE);
}

// A settings file that cannot be written must not keep the user from
// leaving, nor may the exit claim a save that did not happen: the user
// decides whether to exit without saving (是) or to stay (否).
void Tfrmmain::FormClose() {
    try {
        SaveSettingsFile();
    } catch (...) {
        const std::wstring question =
            L"设置无法保存：不能写入文件 " + options_.settingsPath + L"。\n\n不保存设置，直接退出吗？";
        if (!effects_.AskYesNo(hwnd_, reporter_.Title(), question))
            return;
    }
    DestroyWindow(hwnd_);
}

std::optional<LRESULT> Tfrmmain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTimer1)
            Timer1Timer();
        return 0;
    case WM_LBUTTONDBLCLK:
        FormDblClick();
        return 0;
    case WM_CONTEXTMENU:
        SyncMenuChecks();
        TrackContextMenu(popupMenu_.get(), lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
            MenuCommand(LOWORD(wParam));
        return 0;
    case WM_DESTROY:
        if (timerEnabled_)
            KillTimer(hwnd_, kTimer1);
        timerEnabled_ = false;
        PostQuitMessage(0);
        return 0;
    default:
        return std::nullopt;
    }
}

void Tfrmmain::HandlerFailed(UINT msg, const std::exception_ptr& error) {
    if (msg == WM_TIMER) {
        reporter_.ReportTickFailure(hwnd_, error);
        return;
    }
    reporter_.Report(hwnd_, error);
}

} // namespace vemora
