#include "app/clockmain_win.h"
#include "app/companions_win.h"

#include "app/autostart.h"
#include "app/fontlist.h"
#include "base/module_win.h"
#include "settings/settings_win.h"
#include "base/dpi_win.h"
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
#include <utility>

namespace vemora {

namespace {

constexpr UINT_PTR kTickTimer = 1;
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

// Whether the settings file holds the key at all.
bool HoldsKey(ProfileStore& store, const char* key) {
    const std::string missing = "<missing>";
    return store.Read(key, missing) != missing;
}

// The monitors as they are now; the primary screen alone when the system
// lists none.
std::vector<MonitorArea> Monitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, RECT*, LPARAM list) -> BOOL {
            MONITORINFO info{sizeof info};
            if (GetMonitorInfoW(monitor, &info)) {
                const RECT& b = info.rcMonitor;
                reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
                    {{b.left, b.top, b.right, b.bottom},
                     MonitorDpi(monitor),
                     (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back({{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                            MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)),
                            true});
    return monitors;
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

ClockWindow::ClockWindow(Effects& effects, ErrorReporter& reporter, MainOptions options)
    : BaseWindow(reporter), effects_(effects), options_(std::move(options)) {
    if (options_.settingsPath.empty())
        options_.settingsPath = DefaultSettingsPath();
    if (options_.exePath.empty())
        options_.exePath = ModulePath();
    if (options_.holidaysPath.empty()) {
        const std::wstring exe = ModulePath();
        options_.holidaysPath = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"holidays.txt";
    }
    if (options_.runKey.empty())
        options_.runKey = kRunKey;
    appWindow_.reset(ApplicationWindowClass::Create(reporter.Title()));
    const ClockPlace topRight = TopRightOfPrimary(Monitors());
    const PixelRect r = ClockRectAt(topRight.topLeft, topRight.dpi);
    // The settings first: the window is created on top or not as the file
    // says, rather than moved afterwards. Wine keeps an owned window beside
    // its owner and ignores a move out of the topmost band while the owner is
    // the next window down.
    LoadSettingsFile();
    CreateHandle(settings_.stayOnTop ? WS_EX_TOPMOST : 0, WS_POPUP, RECT{r.left, r.top, r.right, r.bottom},
                 appWindow_.get(), L"frmmain", CS_DBLCLKS);
    dpi_ = WindowDpi(hwnd_);
    mailbox_ = std::make_shared<Mailbox>(hwnd_, kWorkerResult);
    Initialise();
    clockTip_.Attach(hwnd_);
}

ClockWindow::~ClockWindow() {
    // Whatever a worker still brings finds no window.
    mailbox_->Close();
    screenWatch_.reset();
    if (hwnd_)
        KillTimer(hwnd_, kTickTimer);
    companions_.reset();
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

void ClockWindow::Initialise() {
    // The window stands at the top right corner from its creation.
    PlaceAtStart();
    timeFormat_ = options_.timeFormat.value_or(ReadTimeFormat());

    BuildContextMenu();
    ReadAutostartState();
    SyncMenuChecks();
    // The hour the program starts in has had its alert and its weather.
    hourly_.alerted = hourly_.refreshed = HourNumber(Now());

    run_.ringSound = ResourceBytes(L"RING", L"WAV").data();
}

// A clock once dragged starts where the user left it while it can be seen
// there; a clock never dragged starts at the top right, as it always did.
void ClockWindow::PlaceAtStart() {
    if (settings_.posLeft && settings_.posTop)
        MoveClock(StartPlace(ScreenPoint{*settings_.posLeft, *settings_.posTop}, Monitors()));
}

void ClockWindow::MoveClock(const ClockPlace& place) {
    const PixelRect r = ClockRectAt(place.topLeft, place.dpi);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    // Arriving on a monitor of another resolution may have moved the clock to
    // the system's suggestion; the corner chosen here is the one that counts.
    dpi_ = WindowDpi(hwnd_);
    const PixelRect settled = ClockRectAt(place.topLeft, dpi_);
    if (!(settled == r))
        SetWindowPos(hwnd_, nullptr, settled.left, settled.top, settled.Width(), settled.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    if (settings_.showWeather)
        PlaceWeatherStrip();
}

// The clock went to a monitor of another resolution: drawn afresh at the new
// scale, at the system's rectangle, without waiting for the next tick.
void ClockWindow::DpiChanged(int dpi, LPARAM suggested) {
    dpi_ = dpi;
    MoveToSuggestedRect(hwnd_, suggested);
    if (!lastTimeText_.empty())
        RenderClock(lastTimeText_);
    if (settings_.showWeather)
        PlaceWeatherStrip();
}

// A change of monitors that leaves the clock on none of them brings it back
// to the top right of the primary one.
void ClockWindow::DisplayChanged() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    if (const std::optional<ClockPlace> place = PlaceAfterDisplayChange({r.left, r.top, r.right, r.bottom}, Monitors()))
        MoveClock(*place);
}

// Where the user drags the clock is kept: moves made in the system's move
// loop or while the clock holds the mouse are the user's, whichever of the
// two the drag uses; the program's own moves (placing, shaking) are not.
void ClockWindow::PositionChanged(const WINDOWPOS& position) {
    if ((position.flags & SWP_NOMOVE) || (!inMoveLoop_ && GetCapture() != hwnd_))
        return;
    settings_.posLeft = position.x;
    settings_.posTop = position.y;
}

void ClockWindow::LoadSettingsFile() {
    IniFileStore store(options_.settingsPath);
    LoadSettings(store, settings_);
    // Without a stored "Top" (the first start) the clock stays on top, as it
    // was created, and kMenuStayOnTop says so.
    if (!HoldsKey(store, "Top"))
        settings_.stayOnTop = true;
}

void ClockWindow::SaveSettingsFile() {
    IniFileStore store(options_.settingsPath);
    SaveSettings(store, settings_);
}

SettingsDialog* ClockWindow::settingsDialog() {
    return &companions_->settings;
}
TimedActionDialog* ClockWindow::timedActionDialog() {
    return &companions_->timedAction;
}
WeatherStrip* ClockWindow::weatherStrip() {
    return &companions_->weather;
}
HoroscopePanel* ClockWindow::horoscopePanel() {
    return &companions_->horoscope;
}
CalendarPopup* ClockWindow::calendarPopup() {
    return &companions_->calendar;
}

void ClockWindow::CreateCompanions() {
    uxTheme_ = UxTheme::Load();
    companions_ = std::make_unique<Companions>(*this);
    companions_->weather.OnDpiChanged = [this] { DrawWeatherStrip(); };
    companions_->weather.OnClosed = [this] { WeatherClosed(); };
    companions_->horoscope.OnClosed = [this] { HoroscopeClosed(); };
    companions_->calendar.OnClosed = [this] { CalendarClosed(); };
    ReadHolidayFile();
    companions_->calendar.SetHolidayBook(&holidays_);
    ApplyLunarSetting();
}

void ClockWindow::ApplyLunarSetting() {
    companions_->calendar.SetLunar(settings_.lunar);
}

void ClockWindow::SetArmedAction(std::optional<ScheduledActionState> action) {
    run_.armed = action.has_value();
    if (action)
        run_.scheduledAction = *action;
    SyncMenuChecks();
}

// What the settings dialog changed: kept at once, and shown as the change asks.
void ClockWindow::ChangeSettings(const Settings& changed, SettingsChange what) {
    settings_ = changed;
    switch (what) {
    case SettingsChange::Kept:
        break;
    case SettingsChange::Look:
        RedrawClock();
        RedrawCompanions();
        break;
    case SettingsChange::Lunar:
        ApplyLunarSetting();
        break;
    case SettingsChange::City:
        if (settings_.showWeather)
            ShowWeather();
        break;
    case SettingsChange::Sign:
        if (settings_.showHoroscope)
            ShowHoroscope();
        break;
    }
}

// The strip and the panel drawn again from the text they hold, in the new
// look, without fetching anything.
void ClockWindow::RedrawCompanions() {
    if (settings_.showWeather && companions_->weather.Showing())
        DrawWeatherStrip();
    if (settings_.showHoroscope)
        companions_->horoscope.Redraw();
}

// holidays.txt beside the executable, when there is one: its days go to the
// calendar, its bad lines are kept to be reported once the clock shows.
void ClockWindow::ReadHolidayFile() {
    // Read with the system's calls: the stream library would add a third of a
    // megabyte to the program for this one file.
    HANDLE raw = CreateFileW(options_.holidaysPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        return;
    UniqueKernelHandle in(raw);
    // One byte more than is read, so that the reader sees the file is cut short.
    std::string bytes(kHolidayFileMaxBytes + 1, '\0');
    size_t got = 0;
    DWORD read = 0;
    while (got < bytes.size() &&
           ReadFile(in.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &read, nullptr) && read > 0)
        got += read;
    bytes.resize(got);
    HolidayFile file = ParseHolidayFile(bytes, [](std::string_view gbk) { return WideToUtf8(GbkToWide(gbk)); });
    holidays_ = std::move(file.book);
    holidayProblems_ = std::move(file.problems);
}

// All bad lines of holidays.txt in one message box.
void ClockWindow::ReportHolidayProblems() {
    if (holidayProblems_.empty())
        return;
    std::string text;
    for (const std::string& problem : holidayProblems_)
        text += (text.empty() ? "" : "\n") + problem;
    holidayProblems_.clear();
    reporter_.Report(hwnd_, std::make_exception_ptr(std::runtime_error(text)));
}

void ClockWindow::Show() {
    try {
        StartCompanions();
    } catch (...) {
        reporter_.Report(hwnd_, std::current_exception());
    }
    if (!IsWindowVisible(hwnd_))
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    ReportHolidayProblems();
}

void ClockWindow::FillInstalledFonts() {
    std::vector<std::string> families;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    ScopedWindowDC screen(nullptr);
    EnumFontFamiliesExW(
        screen.get(), &query,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(WideToGbk(font->lfFaceName));
            return 1;
        },
        reinterpret_cast<LPARAM>(&families), 0);
    run_.installedFonts = InstalledFontList(std::move(families));
}

// The clock on the screen with its first frame. The program does this before
// it makes the companions, which takes Wine a sixth of a second; StartCompanions
// does it when it has not been done. A failure is kept for StartCompanions to
// report: a message box's loop here would run ticks and clicks that reach for
// companions not made yet.
void ClockWindow::ShowFace() {
    if (faceShown_)
        return;
    faceShown_ = true;
    try {
        SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
        ShowWindow(appWindow_.get(), SW_HIDE);
        FillInstalledFonts();
        settings_.font = ClockFontAtStart(settings_.font, run_.installedFonts, kFontYaHei);
        SetTimerEnabled(true);
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        screenWatch_ = std::make_unique<ScreenWatch>(hwnd_);
    } catch (...) {
        faceFailure_ = {std::current_exception(), false};
        return;
    }
    try {
        RedrawClock();
    } catch (...) {
        faceFailure_ = {std::current_exception(), true};
    }
}

// The clock shows its first frame before anything else starts; the weather,
// the horoscope and the network time then run side by side on workers, and
// the failure of one neither hides the clock nor stops the others.
void ClockWindow::StartCompanions() {
    ShowFace();
    SetWindowLongW(companions_->weather.Handle(), GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
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
    if (auto [failure, tick] = std::exchange(faceFailure_, {}); failure)
        reported([&] { std::rethrow_exception(failure); }, tick);
    if (settings_.showWeather)
        reported([this] { ShowWeather(); }, false);
    if (settings_.showHoroscope)
        reported([this] { ShowHoroscope(); }, false);
    if (settings_.networkTime)
        reported([this] { StartNetworkTime(); }, false);
}

void ClockWindow::SetTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    if (enabled)
        ScheduleTick();
    else
        KillTimer(hwnd_, kTickTimer);
}

// The timer is set afresh at every tick for just after the next whole second
// of the system clock, however long the tick took (a shake, a slow drawing, a
// message box), so that every second shows once, as soon as it begins.
void ClockWindow::ScheduleTick() {
    if (timerEnabled_ && hwnd_)
        SetTimer(hwnd_, kTickTimer, static_cast<UINT>(NextTickDelayMs(Now().millisecond)), nullptr);
}

void ClockWindow::TickOnTheSecond() {
    // A second shows once: a timer that comes a little early, in a second
    // that has had its tick, only waits for the boundary.
    if (lastTick_ && WholeSeconds(*lastTick_) == WholeSeconds(Now())) {
        ScheduleTick();
        return;
    }
    try {
        Tick();
    } catch (...) {
        ScheduleTick();
        throw;
    }
    ScheduleTick();
}

// After a sleep or a change of the time or its zone: the tick at once, and the
// next on the new whole second.
void ClockWindow::Realign() {
    if (timerEnabled_)
        TickOnTheSecond();
    else
        RedrawClock();
}

void ClockWindow::Resumed() {
    if (lastTick_ && RefreshAfterResume(*lastTick_, Now(), settings_.showWeather, hourly_))
        SetTimer(hwnd_, kResumeWeatherTimer, static_cast<UINT>(options_.resumeRefreshDelayMs), nullptr);
    Realign();
}

DateTimeParts ClockWindow::Now() const {
    return options_.clock ? options_.clock() : SystemLocalNow();
}

bool ClockWindow::Seen() const {
    return !screenWatch_ || screenWatch_->Seen();
}

void ClockWindow::Tick() {
    const DateTimeParts now = Now();
    const std::string timeText = FormatTimeText(timeFormat_, now.hour, now.minute, now.second);
    lastTick_ = now;

    // What was skipped is told after the tick's own work: the message box's
    // loop goes on ticking meanwhile.
    std::string skipped;
    switch (JudgeAction(run_.armed, EncodeDateTime(now), run_.scheduledAction.due)) {
    case ActionVerdict::Carry:
        run_.armed = false; // disarmed before anything is carried out
        SyncMenuChecks();
        switch (run_.scheduledAction.kind) {
        case ScheduledActionKind::Shutdown:
            ShutdownComputer(effects_);
            break;
        case ScheduledActionKind::Alarm:
            effects_.PlaySoundMemory(run_.ringSound, SND_ASYNC | SND_MEMORY);
            break;
        case ScheduledActionKind::Restart:
            RebootComputer(effects_);
            break;
        default:
            break;
        }
        break;
    case ActionVerdict::Skip:
        run_.armed = false;
        SyncMenuChecks();
        skipped = SkippedActionText(static_cast<int>(run_.scheduledAction.kind), run_.scheduledAction.due);
        break;
    case ActionVerdict::Wait:
        break;
    }
    auto tellSkipped = [&] {
        if (!skipped.empty())
            reporter_.Report(hwnd_, std::make_exception_ptr(std::runtime_error(skipped)));
    };

    const TickPlan plan = PlanTick(now, settings_.hourlyAlert, settings_.showWeather, hourly_);
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

// The clock at its monitor's resolution.
void ClockWindow::RenderClock(const std::string& timeText) {
    clockRenderer_.Render(hwnd_, GbkToWide(timeText), settings_.font, ScaleForDpi(kClockEmSize, dpi_),
                          settings_.startColour, settings_.endColour, settings_.transparency, dpi_);
    lastTimeText_ = timeText;
    ++drawCount_;
    reporter_.TickDrawn();
}

void ClockWindow::RedrawClock() {
    const DateTimeParts now = Now();
    RenderClock(FormatTimeText(timeFormat_, now.hour, now.minute, now.second));
}

void ClockWindow::ShakeWindow(HWND window) {
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

void ClockWindow::MouseMovedWithButton() {
    DragWithMouse();
    if (settings_.showWeather)
        PlaceWeatherStrip();
}

void ClockWindow::DragEnded() {
    if (settings_.showWeather)
        PlaceWeatherStrip();
}

void ClockWindow::PlaceWeatherStrip() {
    PlaceCompanion(companions_->weather.Handle(), Companion::WeatherStrip);
}

void ClockWindow::PlaceCompanion(HWND companion, Companion which) {
    RECT clock{}, own{};
    GetWindowRect(hwnd_, &clock);
    GetWindowRect(companion, &own);
    const int width = own.right - own.left;
    const ScreenPoint at = CompanionPlace(which, PixelRect{clock.left, clock.top, clock.right, clock.bottom}, width,
                                          GetSystemMetrics(SM_CXSCREEN), dpi_);
    MoveWindow(companion, at.x, at.y, width, own.bottom - own.top, TRUE);
}

// A settings file that cannot be written must not keep the user from
// leaving, nor may the exit claim a save that did not happen: the user
// decides whether to exit without saving (是) or to stay (否).
void ClockWindow::CloseRequested() {
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

std::optional<LRESULT> ClockWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTickTimer) {
            TickOnTheSecond();
        } else if (wParam == kResumeWeatherTimer) {
            KillTimer(hwnd_, kResumeWeatherTimer);
            if (settings_.showWeather)
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
        OpenCalendar();
        return 0;
    case WM_CONTEXTMENU:
        SyncMenuChecks();
        TrackContextMenu(contextMenu_.get(), lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
            RunMenuCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (clockTip_.Notify(lParam, Now()))
            return 0;
        return std::nullopt;
    case WM_DPICHANGED:
        DpiChanged(DpiOfDpiChanged(wParam), lParam);
        return 0;
    case WM_DISPLAYCHANGE:
        DisplayChanged();
        return 0;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        inMoveLoop_ = msg == WM_ENTERSIZEMOVE;
        return std::nullopt;
    case WM_WINDOWPOSCHANGED:
        PositionChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return std::nullopt;
    case WM_DESTROY:
        clockTip_.ClockDestroyed();
        mailbox_->Close();
        screenWatch_.reset();
        KillTimer(hwnd_, kTickTimer);
        KillTimer(hwnd_, kResumeWeatherTimer);
        timerEnabled_ = false;
        PostQuitMessage(0);
        return 0;
    default:
        return std::nullopt;
    }
}

void ClockWindow::StartNetworkTime() {
    const std::string server = NtpServerName(settings_.ntpServer);
    networkTime_.Start(server, [&](unsigned generation) { AskNetworkTime(mailbox_, generation, server); });
}

// A worker's result: used only when it answers the request that runs and
// what asked for it still wants it; otherwise dropped here.
void ClockWindow::ResultArrived(std::unique_ptr<WorkerResult> result) {
    if (auto* line = dynamic_cast<WeatherLine*>(result.get())) {
        const RequestSlot::Answer answer = weatherDownload_.Arrived(line->generation);
        if (answer.askAgain && settings_.showWeather)
            StartWeatherDownload();
        if (!answer.use || !settings_.showWeather)
            return;
        if (line->error)
            std::rethrow_exception(line->error); // the strip keeps its last drawing
        if (line->found)
            run_.weatherText = std::move(line->text);
        DrawWeatherStrip();
    } else if (auto* answer = dynamic_cast<NetworkTimeAnswer*>(result.get())) {
        // A failed query changes nothing and shows nothing.
        if (!networkTime_.Arrived(answer->generation).use || !settings_.networkTime || answer->time.utc == 0)
            return;
        const std::string refused = SetClockFromNetwork(effects_, answer->time.offsetSeconds);
        // Said once a run: the user believes the clock was corrected.
        if (!refused.empty() && !clockNotSetShown_) {
            clockNotSetShown_ = true;
            throw std::runtime_error(refused);
        }
    }
}

void ClockWindow::HandlerFailed(UINT msg, const std::exception_ptr& error) {
    if (msg == WM_TIMER) {
        reporter_.ReportTickFailure(hwnd_, error);
        return;
    }
    reporter_.Report(hwnd_, error);
}

} // namespace vemora
