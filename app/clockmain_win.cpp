#include "app/clockmain_win.h"

#include "app/autostart.h"
#include "settings/settings_win.h"
#include "base/text_win.h"
#include "calendar/calpopup_win.h"
#include "online/weather_win.h"
#include "online/xingzuo_win.h"
#include "online/nettime_win.h"
#include "power/power_win.h"
#include "power/schedule.h"
#include "power/screenwatch_win.h"
#include "power/shutdowndlg_win.h"
#include "render/glow_win.h"
#include "app/setup_win.h"

#include <mmsystem.h>
#include <wtsapi32.h>

#include <algorithm>
#include <random>
#include <stdexcept>

namespace vemora {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kResumeWeatherTimer = 2;

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
    appWindow_.reset(ApplicationWindowClass::Create(reporter.Title()));
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    CreateHandle(WS_EX_TOPMOST, WS_POPUP, RECT{screenWidth - kClockWidth, 0, screenWidth, kClockHeight},
                 appWindow_.get(), L"frmmain", CS_DBLCLKS);
    mailbox_ = std::make_shared<Mailbox>(hwnd_, kWorkerResult);
    FormCreate();
}

Tfrmmain::~Tfrmmain() {
    // Whatever a worker still brings finds no window.
    mailbox_->Close();
    screenWatch_.reset();
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
    timeFormat_ = options_.timeFormat.value_or(ReadTimeFormat());

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
    // The hour the program starts in has had its alert and its weather.
    hourly_.alerted = hourly_.refreshed = HourNumber(Now());

    HRSRC info = FindResourceW(nullptr, L"RING", L"WAV");
    HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
    ClockSettings.RingSound = data ? LockResource(data) : nullptr;
}

void Tfrmmain::LoadSettingsFile() {
    IniFileStore store(options_.settingsPath);
    LoadSettings(store, ClockSettings);
}

void Tfrmmain::SaveSettingsFile() {
    IniFileStore store(options_.settingsPath);
    SaveSettings(store, ClockSettings);
}

void Tfrmmain::CreateCompanions() {
    frmset_ = std::make_unique<Tfrmset>(*this, reporter_);
    frmshutdown_ = std::make_unique<Tfrmshutdown>(
        hwnd_, reporter_, [this] { return Now(); }, [this] { SyncMenuChecks(); });
    frmweather_ = std::make_unique<Tfrmweather>(appWindow_.get(), reporter_, [this] { ShowWeather(); });
    frmxingzuo_ = std::make_unique<Tfrmxingzuo>(appWindow_.get(), reporter_);
    uxTheme_ = UxTheme::Load();
    frmcal_ = std::make_unique<Tfrmcal>(appWindow_.get(), reporter_, uxTheme_, [this] { return Now(); });
}

void Tfrmmain::Show() {
    try {
        FormShow();
    } catch (...) {
        reporter_.Report(hwnd_, std::current_exception());
    }
    if (!IsWindowVisible(hwnd_))
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void Tfrmmain::FillInstalledFonts() {
    std::vector<std::string> fonts{"Default"};
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

// The clock shows its first frame before anything else starts; the weather,
// the horoscope and the network time then run side by side on workers, and
// the failure of one neither hides the clock nor stops the others.
void Tfrmmain::FormShow() {
    SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (frmweather_)
        SetWindowLongW(frmweather_->Handle(), GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    ShowWindow(appWindow_.get(), SW_HIDE);
    FillInstalledFonts();
    const auto& fonts = ClockSettings.InstalledFonts;
    if (std::find(fonts.begin(), fonts.end(), kFontYaHei) != fonts.end())
        ClockSettings.Font = kFontYaHei;
    SetTimerEnabled(true);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    screenWatch_ = std::make_unique<ScreenWatch>(hwnd_);
    auto reported = [this](auto&& step, bool tick) {
        try {
            step();
        } catch (...) {
            if (tick)
                reporter_.ReportTickFailure(hwnd_, std::current_exception());
            else
                reporter_.Report(hwnd_, std::current_exception());
        }
    };
    reported([this] { RedrawClock(); }, true);
    if (ClockSettings.weather)
        reported([this] { ShowWeather(); }, false);
    if (ClockSettings.showxz)
        reported([this] { ShowHoroscope(); }, false);
    if (ClockSettings.getnettime)
        reported([this] { StartNetworkTime(); }, false);
}

void Tfrmmain::SetTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    if (enabled)
        ScheduleTick();
    else
        KillTimer(hwnd_, kTimer1);
}

// The timer is set afresh at every tick for just after the next whole second
// of the system clock, however long the tick took (a shake, a slow drawing, a
// message box), so that every second shows once, as soon as it begins.
void Tfrmmain::ScheduleTick() {
    if (timerEnabled_ && hwnd_)
        SetTimer(hwnd_, kTimer1, static_cast<UINT>(NextTickDelayMs(Now().millisecond)), nullptr);
}

void Tfrmmain::TickOnTheSecond() {
    // A second shows once: a timer that comes a little early, in a second
    // that has had its tick, only waits for the boundary.
    if (lastTick_ && WholeSeconds(*lastTick_) == WholeSeconds(Now())) {
        ScheduleTick();
        return;
    }
    try {
        Timer1Timer();
    } catch (...) {
        ScheduleTick();
        throw;
    }
    ScheduleTick();
}

// After a sleep or a change of the time or its zone: the tick at once, and the
// next on the new whole second.
void Tfrmmain::Realign() {
    if (timerEnabled_)
        TickOnTheSecond();
    else
        RedrawClock();
}

void Tfrmmain::Resumed() {
    if (lastTick_ && RefreshAfterResume(*lastTick_, Now(), ClockSettings.weather, hourly_))
        SetTimer(hwnd_, kResumeWeatherTimer, static_cast<UINT>(options_.resumeRefreshDelayMs), nullptr);
    Realign();
}

DateTimeParts Tfrmmain::Now() const { return options_.clock ? options_.clock() : SystemLocalNow(); }

bool Tfrmmain::Seen() const {
    return !screenWatch_ || screenWatch_->Seen();
}

void Tfrmmain::Timer1Timer() {
    const DateTimeParts now = Now();
    const std::string timeText = FormatTimeText(timeFormat_, now.hour, now.minute, now.second);
    lastTick_ = now;

    // What was skipped is told after the tick's own work: the message box's
    // loop goes on ticking meanwhile.
    std::string skipped;
    switch (JudgeAction(ClockSettings.Armed, EncodeDateTime(now), ClockSettings.ScheduledAction.due)) {
    case ActionVerdict::Carry:
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
        break;
    case ActionVerdict::Skip:
        ClockSettings.Armed = false;
        SyncMenuChecks();
        skipped = SkippedActionText(ClockSettings.ScheduledAction.kind, ClockSettings.ScheduledAction.due);
        break;
    case ActionVerdict::Wait:
        break;
    }
    auto tellSkipped = [&] {
        if (!skipped.empty())
            reporter_.Report(hwnd_, std::make_exception_ptr(std::runtime_error(skipped)));
    };

    const TickPlan plan = PlanTick(now, ClockSettings.wake, ClockSettings.weather, hourly_);
    if (plan.shake) {
        ShakeWindow(hwnd_);
        tellSkipped();
        return;
    }
    if (plan.refreshWeather)
        ShowWeather();
    // Nobody can see it: the tick does its work but draws nothing.
    if (Seen())
        RenderClock(timeText);
    tellSkipped();
}

void Tfrmmain::RenderClock(const std::string& timeText) {
    clockRenderer_.Render(hwnd_, GbkToWide(timeText), ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor,
                          ClockSettings.Endcolor, ClockSettings.Transparent);
    lastTimeText_ = timeText;
    ++drawCount_;
    reporter_.TickDrawn();
}

void Tfrmmain::RedrawClock() {
    const DateTimeParts now = Now();
    RenderClock(FormatTimeText(timeFormat_, now.hour, now.minute, now.second));
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

void Tfrmmain::FormClose() {
    SaveSettingsFile();
    DestroyWindow(hwnd_);
}

std::optional<LRESULT> Tfrmmain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTimer1) {
            TickOnTheSecond();
        } else if (wParam == kResumeWeatherTimer) {
            KillTimer(hwnd_, kResumeWeatherTimer);
            if (ClockSettings.weather)
                ShowWeather();
        }
        return 0;
    case kWorkerResult:
        ResultArrived(Mailbox::Take(lParam));
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
            Resumed();
        else if (screenWatch_ && screenWatch_->Read(msg, wParam, lParam) && Seen())
            RedrawClock();
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        if (screenWatch_ && screenWatch_->Read(msg, wParam, lParam) && Seen())
            RedrawClock();
        return 0;
    case WM_TIMECHANGE:
        Realign();
        return 0;
    case WM_SETTINGCHANGE:
        // The user's time format changed: the clock follows at once.
        if (lParam && std::wstring(reinterpret_cast<const wchar_t*>(lParam)) == L"intl") {
            timeFormat_ = options_.timeFormat.value_or(ReadTimeFormat());
            RedrawClock();
        }
        return std::nullopt;
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
        mailbox_->Close();
        screenWatch_.reset();
        KillTimer(hwnd_, kTimer1);
        KillTimer(hwnd_, kResumeWeatherTimer);
        timerEnabled_ = false;
        PostQuitMessage(0);
        return 0;
    default:
        return std::nullopt;
    }
}

void Tfrmmain::StartNetworkTime() {
    const std::string server = NtpServerName();
    const unsigned generation = networkTime_.Ask(server);
    if (!generation)
        return;
    try {
        AskNetworkTime(mailbox_, generation, server);
    } catch (...) {
        networkTime_.Arrived(generation); // no worker: nothing runs
        throw;
    }
}

// A worker's result: used only when it answers the request that runs and
// what asked for it still wants it; otherwise dropped here.
void Tfrmmain::ResultArrived(std::unique_ptr<WorkerResult> result) {
    if (auto* line = dynamic_cast<WeatherLine*>(result.get())) {
        const RequestSlot::Answer answer = weatherDownload_.Arrived(line->generation);
        if (answer.askAgain && ClockSettings.weather)
            StartWeatherDownload();
        if (!answer.use || !ClockSettings.weather || !frmweather_)
            return;
        if (line->error)
            std::rethrow_exception(line->error); // the strip keeps its last drawing
        if (line->found)
            ClockSettings.WeatherText = std::move(line->text);
        if (!ClockSettings.WeatherText.empty())
            weatherRenderer_.Render(frmweather_->Handle(), GbkToWide(ClockSettings.WeatherText), ClockSettings.Font,
                                    kWeatherEmSize, ClockSettings.Startcolor, ClockSettings.Endcolor,
                                    ClockSettings.Transparent);
    } else if (auto* answer = dynamic_cast<NetworkTimeAnswer*>(result.get())) {
        // A failed query changes nothing and shows nothing.
        if (!networkTime_.Arrived(answer->generation).use || !ClockSettings.getnettime || answer->time.utc == 0)
            return;
        const std::string refused = SetClockFromNetwork(effects_, answer->time.offsetSeconds);
        // Said once a run: the user believes the clock was corrected.
        if (!refused.empty() && !clockNotSetShown_) {
            clockNotSetShown_ = true;
            throw std::runtime_error(refused);
        }
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
