#include "app/clockwindow_win.h"

#include "app/aboutbox_win.h"
#include "app/clockalarms_win.h"
#include "app/companions_win.h"
#include "app/desktop_win.h"
#include "app/fonts_win.h"
#include "base/dpi_win.h"
#include "base/filelog_win.h"
#include "base/files_win.h"
#include "base/module_win.h"
#include "base/text_win.h"
#include "base/version.h" // made by the build from the project version
#include "power/screenwatch_win.h"
#include "settings/settings_win.h"

#include <wtsapi32.h>

#include <stdexcept>
#include <utility>

namespace vemora {

namespace {

constexpr UINT_PTR kTickTimer = 1;

constexpr wchar_t kClickThroughNote[] =
    L"鼠标穿透已打开：时钟不再响应鼠标。\n\n它的菜单现在在通知区域的托盘图标上：右键单击图标打开菜单，"
    L"在那里可以关闭鼠标穿透。";

MainOptions WithDefaults(MainOptions options) {
    if (options.settingsPath.empty())
        options.settingsPath = DefaultSettingsPath();
    if (options.exePath.empty())
        options.exePath = ModulePath();
    if (options.holidaysPath.empty())
        options.holidaysPath = FolderOf(ModulePath()) + L"holidays.txt";
    return options;
}

const void* RingSound() {
    return ResourceBytes(L"RING", L"WAV").data();
}

} // namespace

ClockWindow::ClockWindow(Effects& effects, ErrorReporter& reporter, MainOptions options)
    : BaseWindow(reporter, Dragging::ByMouse), effects_(effects), options_(WithDefaults(std::move(options))),
      log_(options_.log ? options_.log : std::make_shared<FileLog>(FolderOf(options_.settingsPath))),
      settingsFile_(options_.settingsPath), autostart_(options_.exePath, options_.runKey, options_.approvedKey),
      appWindow_(CreateApplicationWindow(reporter.Title())), menu_(*this),
      tray_([this](const DateTimeParts& now) { return WithNextAlarm(ClockTray::TipText(now, StatusText(now)), now); }),
      armed_(appWindow_.get(), effects, reporter, RingSound(),
             {[this] {
                  menu_.Sync();
                  StatusChanged();
              },
              [this] { settingsFile_.SaveOrLog(settings_, *log_, "at the end of the session"); }, options_.realMs,
              options_.awakeMs}),
      networkTime_(effects, log_, [this] { StatusChanged(); }) {
    if (!options_.log)
        logPath_ = static_cast<FileLog&>(*log_).Path();
    reporter.LogTo(log_.get());
    log_->Write("program", "Vemora " VEMORA_VERSION_FULL " starts");
    // The settings first: the window is created on top or not as the file
    // says, rather than moved afterwards. Wine keeps an owned window beside
    // its owner and ignores a move out of the topmost band while the owner is
    // the next window down.
    settings_ = settingsFile_.Load(*log_);
    const ClockPlace topRight = TopRightOfPrimary(Monitors(), Face());
    const PixelRect r = ClockRectAt(topRight.topLeft, topRight.dpi, Face());
    CreateHandle(settings_.stayOnTop ? WS_EX_TOPMOST : 0, WS_POPUP, RECT{r.left, r.top, r.right, r.bottom},
                 appWindow_.get(), L"frmmain", CS_DBLCLKS);
    position_.Attach(hwnd_);
    mailbox_ = std::make_shared<Mailbox>(hwnd_, kWorkerResult);
    if (Dragged())
        position_.PlaceAtStart(ScreenPoint{*settings_.posLeft, *settings_.posTop}, Face());
    timeFormat_ = options_.timeFormat.value_or(ReadTimeFormat());
    autostart_.Read();
    menu_.Sync();
    // The hour the program starts in has had its alert and its weather.
    hourly_.alerted = hourly_.refreshed = HourNumber(Now());
    clockTip_.Attach(hwnd_);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

ClockWindow::~ClockWindow() {
    log_->Write("program", "Vemora " VEMORA_VERSION_FULL " ends");
    reporter_.LogTo(nullptr);
    // Whatever a worker still brings finds no window.
    mailbox_->Close();
    screenWatch_.reset();
    if (hwnd_)
        KillTimer(hwnd_, kTickTimer);
    companions_.reset();
    alarms_.reset();
    if (hwnd_)
        DestroyWindow(hwnd_);
}

void ClockWindow::CreateCompanions() {
    uxTheme_ = UxTheme::Load();
    companions_ = std::make_unique<Companions>(CompanionsContext{
        appWindow_.get(), hwnd_, reporter_, log_, uxTheme_, *this, *this,
        WeatherFeedOptions{options_.settingsPath, options_.unixClock, options_.resumeRefreshDelayMs, {}},
        [this] { return Now(); },
        [this] {
            return HoroscopeChoice{settings_.sign, settings_.horoscopeHost, settings_.transparency};
        },
        [this] { return armed_.Armed(); }, [this](std::optional<ScheduledActionState> a) { SetArmedAction(a); }});
    companions_->horoscope.OnClosed = [this] {
        if (settings_.showHoroscope)
            ToggleHoroscope();
    };
    companions_->calendar.OnClosed = [this] {
        if (calendarShown_)
            ToggleCalendar();
    };
    holidays_.Start(options_.holidaysPath, options_.settingsPath,
                    settings_.holidayApi.empty() ? options_.holidayApi : settings_.holidayApi, *log_, mailbox_);
    companions_->calendar.SetHolidayBook(&holidays_.Book());
    ApplyLunarSetting();
    alarms_ = std::make_unique<ClockAlarms>(appWindow_.get(), effects_, reporter_, holidays_.Book(),
                                            options_.settingsPath, settingsFile_.TakeLoaded());
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
        SetWindowLongW(hwnd_, GWL_EXSTYLE,
                       GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED |
                           (settings_.clickThrough ? WS_EX_TRANSPARENT : 0));
        ShowWindow(appWindow_.get(), SW_HIDE);
        installedFonts_ = InstalledFontFamilies();
        missingFontText_ = settingsFile_.SettleFont(settings_);
        SetTimerEnabled(true);
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        screenWatch_ = std::make_unique<ScreenWatch>(hwnd_);
        UpdateTrayIcon();
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
    SetWindowLongW(companions_->weather.Strip().Handle(), GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
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
        reported([this] { networkTime_.Start(mailbox_, settings_.ntpServer); }, false);
}

void ClockWindow::Show() {
    try {
        StartCompanions();
    } catch (...) {
        reporter_.Report(hwnd_, std::current_exception());
    }
    if (!IsWindowVisible(hwnd_))
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // What is to be told once the clock shows: the stored font that is not
    // installed, the bad lines of holidays.txt, the alarms' problems.
    for (std::string text : {std::exchange(missingFontText_, {}), holidays_.TakeProblems()})
        if (!text.empty())
            reporter_.Report(hwnd_, std::make_exception_ptr(std::runtime_error(text)));
    if (alarms_)
        alarms_->Clock().ReportProblems(hwnd_);
}

// What the settings dialog changed: kept at once, and shown as the change asks.
void ClockWindow::ChangeSettings(const Settings& changed, SettingsChange what) {
    settings_ = changed;
    switch (what) {
    case SettingsChange::Kept:
        break;
    case SettingsChange::Look:
        // The strip and the panel drawn again from the text they hold, without fetching anything.
        RedrawClock();
        if (settings_.showWeather)
            companions_->weather.Redraw();
        if (settings_.showHoroscope)
            companions_->horoscope.Redraw();
        break;
    case SettingsChange::Lunar:
        ApplyLunarSetting();
        break;
    case SettingsChange::Sign:
        if (settings_.showHoroscope)
            ShowHoroscope();
        break;
    case SettingsChange::Face:
        position_.Fit(Face(), Dragged());
        PlaceWeatherStrip();
        RedrawClock();
        // The strip takes the clock's size; the companions hang from the clock's edges, which moved.
        if (settings_.showWeather && companions_->weather.Strip().Showing())
            companions_->weather.Redraw();
        if (settings_.showHoroscope)
            companions_->Place(Companion::Horoscope, position_.Dpi());
        if (companions_->calendar.Showing())
            companions_->Place(Companion::Calendar, position_.Dpi());
        break;
    }
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
        CheckFullScreen();
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
    armed_.Resumed();
    const bool hourMissed = lastTick_ && RefreshAfterResume(*lastTick_, Now(), settings_.showWeather, hourly_);
    companions_->weather.Resumed(hourMissed);
    Realign();
}

void ClockWindow::Tick() {
    const DateTimeParts now = Now();
    const std::string timeText = painter_.Compose(now, settings_, timeFormat_);
    lastTick_ = now;
    // What was skipped is told after the tick's own work: the message box's
    // loop goes on ticking meanwhile.
    const std::string skipped = armed_.Tick(now);
    if (alarms_)
        alarms_->Tick(EncodeDateTime(now));
    auto tellSkipped = [&] {
        if (!skipped.empty())
            reporter_.Report(hwnd_, std::make_exception_ptr(std::runtime_error(skipped)));
    };
    const TickPlan plan = PlanTick(now, settings_.hourlyAlert, settings_.showWeather, hourly_);
    if (plan.shake) {
        ShakeWindow(hwnd_);
        ++shakeCount_;
        tellSkipped();
        return;
    }
    companions_->weather.Tick(plan.refreshWeather);
    holidays_.Tick(now);
    // Nobody can see it: the tick does its work but draws nothing.
    if (Seen() && !fullScreen_.Hidden())
        RenderClock(timeText);
    tray_.Minute(now);
    tellSkipped();
}

void ClockWindow::RenderClock(const std::string& timeText) {
    painter_.Render(hwnd_, timeText, settings_, Layout());
    reporter_.TickDrawn();
}

void ClockWindow::RedrawClock() {
    RenderClock(painter_.Compose(Now(), settings_, timeFormat_));
}

void ClockWindow::MouseMovedWithButton(WPARAM keys) {
    DragWithMouse(keys);
    DragEnded(); // the strip follows every step, not only the drop
}

// A settings file that cannot be written must not keep the user from
// leaving, nor may the exit claim a save that did not happen: the user
// decides whether to exit without saving (是) or to stay (否).
void ClockWindow::CloseRequested() {
    try {
        settingsFile_.Save(settings_);
    } catch (...) {
        log_->Write("settings", "not saved at exit: " + WideToUtf8(ErrorReporter::Describe(std::current_exception())));
        const std::wstring question =
            L"设置无法保存：不能写入文件 " + options_.settingsPath + L"。\n\n不保存设置，直接退出吗？";
        if (!effects_.AskYesNo(hwnd_, reporter_.Title(), question))
            return;
    }
    DestroyWindow(hwnd_);
}

std::optional<LRESULT> ClockWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (taskbarCreated_ && msg == taskbarCreated_) {
        tray_.Restore();
        return 0;
    }
    switch (msg) {
    case kTrayMessage:
        TrayIconMessage(lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kTickTimer)
            TickOnTheSecond();
        else if (wParam == FullScreenWatch::kFlashTimer)
            fullScreen_.FlashEnded(hwnd_, settings_.stayOnTop);
        return 0;
    case kWorkerResult: {
        // A worker's result: used only when it answers the request that runs
        // and what asked for it still wants it; otherwise dropped here.
        const std::unique_ptr<WorkerResult> result = Mailbox::Take(lParam);
        if (!result)
            return 0;
        if (holidays_.Arrived(*result, Now()))
            InvalidateRect(companions_->calendar.Calendar().Handle(), nullptr, FALSE);
        else
            networkTime_.Arrived(*result, settings_.networkTime);
        return 0;
    }
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
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        // Windows ends the session: what the run changed goes to disk now, for
        // nobody will close the window. A failure cannot be asked about any more.
        if (msg == WM_QUERYENDSESSION || wParam)
            settingsFile_.SaveOrLog(settings_, *log_, "at the end of the session");
        return msg == WM_QUERYENDSESSION ? TRUE : 0;
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
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        // Screen readers ask the clock for its text: it answers what it shows,
        // while the window keeps its own caption for everything else.
        if (LastTimeText().empty())
            return std::nullopt; // nothing shown yet: the caption
        return AnswerGetText(ShownText(), msg, wParam, lParam);
    case WM_CONTEXTMENU: {
        menu_.Sync();
        const auto tipHidden = clockTip_.Hidden();
        TrackContextMenu(menu_.Handle(), lParam);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
            menu_.Run(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (clockTip_.Notify(lParam, Now(), holidays_.Book(), settings_.lunar, WithNextAlarm(StatusText(Now()), Now())))
            return 0;
        return std::nullopt;
    case WM_DPICHANGED:
        // Drawn afresh at the new scale without waiting for the next tick.
        position_.DpiChanged(DpiOfDpiChanged(wParam), lParam, Face(), Dragged());
        PlaceWeatherStrip();
        if (!LastTimeText().empty())
            RenderClock(LastTimeText());
        return 0;
    case WM_DISPLAYCHANGE:
        if (position_.DisplayChanged(Face()))
            PlaceWeatherStrip();
        return 0;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        position_.MoveLoop(msg == WM_ENTERSIZEMOVE);
        return std::nullopt;
    case WM_WINDOWPOSCHANGED:
        if (const auto at = position_.MovedByUser(*reinterpret_cast<const WINDOWPOS*>(lParam))) {
            settings_.posLeft = at->x;
            settings_.posTop = at->y;
        }
        return std::nullopt;
    case WM_DESTROY:
        tray_.Remove();
        clockTip_.ClockDestroyed();
        mailbox_->Close();
        screenWatch_.reset();
        KillTimer(hwnd_, kTickTimer);
        timerEnabled_ = false;
        PostQuitMessage(0);
        return 0;
    default:
        return std::nullopt;
    }
}

void ClockWindow::HandlerFailed(UINT msg, const std::exception_ptr& error) {
    if (msg == WM_TIMER)
        reporter_.ReportTickFailure(hwnd_, error);
    else
        reporter_.Report(hwnd_, error);
}

bool ClockWindow::WorkersRunning() const {
    return networkTime_.Running() || (companions_ && companions_->weather.Busy()) || holidays_.Running();
}

ClockRunState ClockWindow::RunState() const {
    return {calendarShown_, armed_.Armed(), armed_.State(), autostart_.On(), RingSound(), installedFonts_};
}

// Once a second: hides the clock and its shown companions while a full-screen
// program is in front on its monitor, shows them again after.
void ClockWindow::CheckFullScreen() {
    if (!companions_)
        return; // the first frame shows before the companions are made
    std::vector<HWND> windows = companions_->Windows();
    windows.insert(windows.begin(), hwnd_);
    if (fullScreen_.Check(settings_.hideFullScreen && faceShown_, windows)) {
        RedrawClock();
        companions_->weather.Redraw();
    }
}

std::wstring ClockWindow::StatusText(const DateTimeParts& now) const {
    std::wstring text = Utf8ToWide(armed_.DueText(EncodeDateTime(now)));
    if (!networkTime_.Failure().empty())
        text += (text.empty() ? L"" : L"\n") + Utf8ToWide(networkTime_.Failure());
    return text;
}

std::wstring ClockWindow::WithNextAlarm(std::wstring tip, const DateTimeParts& now) const {
    return alarms_ ? alarms_->WithNextAlarm(std::move(tip), EncodeDateTime(now)) : tip;
}

void ClockWindow::TrayIconMessage(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: {
        menu_.Sync();
        const auto tipHidden = clockTip_.Hidden();
        TrackContextMenu(menu_.Handle(), MAKELPARAM(-1, -1));
        break;
    }
    case WM_LBUTTONUP:
        if (fullScreen_.BringForward(hwnd_, settings_.stayOnTop))
            RedrawClock();
        break;
    case WM_LBUTTONDBLCLK:
        OpenCalendar();
        break;
    default:
        break;
    }
}

void ClockWindow::ToggleStayOnTop() {
    settings_.stayOnTop = !settings_.stayOnTop;
    menu_.Sync();
    SetWindowPos(hwnd_, settings_.stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ClockWindow::ToggleHideFullScreen() {
    settings_.hideFullScreen = !settings_.hideFullScreen;
    menu_.Sync();
    CheckFullScreen();
}

void ClockWindow::ToggleClickThrough() {
    settings_.clickThrough = !settings_.clickThrough;
    menu_.Sync();
    ApplyClickThrough();
    UpdateTrayIcon();
    if (settings_.clickThrough && !std::exchange(clickThroughNoteShown_, true))
        effects_.ShowNote(hwnd_, reporter_.Title(), kClickThroughNote);
}

void ClockWindow::ToggleTrayIcon() {
    settings_.trayIcon = !settings_.trayIcon;
    menu_.Sync();
    UpdateTrayIcon();
}

void ClockWindow::ToggleWeather() {
    settings_.showWeather = !settings_.showWeather;
    menu_.Sync();
    if (settings_.showWeather)
        companions_->weather.Show(true); // asked for: a failure with nothing to show is told once
    else
        companions_->weather.Hide();
}

void ClockWindow::ToggleCalendar() {
    calendarShown_ = !calendarShown_;
    ShowCalendar();
}

void ClockWindow::ToggleHoroscope() {
    settings_.showHoroscope = !settings_.showHoroscope;
    menu_.Sync();
    if (settings_.showHoroscope)
        ShowHoroscope();
    else
        companions_->horoscope.Close();
}

// The check mark changes only with the registry: a refused write leaves it as
// it was, so that it never shows autostart that was not written.
void ClockWindow::ToggleAutostart() {
    autostart_.Set(!autostart_.On());
    menu_.Sync();
}

void ClockWindow::OpenCalendar() {
    calendarShown_ = true;
    ShowCalendar();
}

void ClockWindow::ShowCalendar() {
    menu_.Sync();
    if (calendarShown_)
        companions_->ShowCalendar(settings_.lunar, static_cast<BYTE>(settings_.transparency & 0xFF), position_.Dpi());
    else if (companions_->calendar.Showing())
        companions_->calendar.Close();
}

// The dialogs take the clock's transparency as their alpha when it is above 100.
void ClockWindow::ShowDialogModal(HWND dialog, const std::function<void()>& run) {
    if (settings_.transparency > 100)
        SetLayeredWindowAttributes(dialog, 0, static_cast<BYTE>(settings_.transparency & 0xFF), LWA_ALPHA);
    run();
}

void ClockWindow::ShowSettingsDialog() {
    ShowDialogModal(companions_->settings.Handle(), [this] { companions_->settings.ShowModal(); });
}

void ClockWindow::ShowTimedActionDialog() {
    ShowDialogModal(companions_->timedAction.Handle(), [this] { companions_->timedAction.ShowModal(); });
}

void ClockWindow::ShowAlarmDialog() {
    AlarmListDialog& dialog = alarms_->Dialog();
    ShowDialogModal(dialog.Handle(),
                    [&] { dialog.ShowModal(hwnd_, alarms_->Clock().Alarms(), EncodeDateTime(Now())); });
}

// The program's own About box; the home page opens only from its link.
void ClockWindow::ShowAboutAndHomePage() {
    AboutBox about(reporter_, effects_, appWindow_.get(), FolderOf(options_.settingsPath) + L"vemora.log");
    about.ShowModal();
}

void ClockWindow::Exit() {
    SetTimerEnabled(false);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    // An exit called off (the settings could not be saved and the user
    // stays) must not leave the clock standing still.
    if (hwnd_ && IsWindow(hwnd_))
        SetTimerEnabled(true);
}

WeatherSettings ClockWindow::WeatherValues() const {
    const Settings& s = settings_;
    return {.on = s.showWeather,
            .pageHost = s.weatherHost,
            .city = s.city,
            .place = s.place,
            .latitude = s.latitude,
            .longitude = s.longitude,
            .forecastApi = s.forecastApi,
            .geocodeApi = s.geocodeApi,
            .airQualityApi = s.airQualityApi,
            .font = s.font,
            .startColour = s.startColour,
            .endColour = s.endColour,
            .transparency = s.transparency,
            .scale = s.scale};
}

// The place found is kept even if the program never ends cleanly; a failed
// save is tried again on exit, which asks when it cannot.
void ClockWindow::StorePlace(const std::string& city, const std::string& place, double latitude, double longitude) {
    if (!city.empty())
        settings_.city = city;
    settings_.place = place;
    settings_.latitude = latitude;
    settings_.longitude = longitude;
    settingsFile_.SaveOrLog(settings_, *log_, "when the place was found");
}

// The strip stands under the clock and stays on top exactly when the clock
// does; only its z-order changes.
void ClockWindow::PlaceStrip(HWND strip) {
    companions_->Place(Companion::WeatherStrip, position_.Dpi());
    const bool topmost = GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST;
    SetWindowPos(strip, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The strip closed by its own close box or Alt+F4: switched off as its menu item does.
void ClockWindow::StripClosed() {
    if (settings_.showWeather)
        ToggleWeather();
}

} // namespace vemora
