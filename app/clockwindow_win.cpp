#include "app/clockwindow_win.h"
#include "app/companions_win.h"

#include "app/autostart.h"
#include "app/fontlist.h"
#include "app/fullscreen.h"
#include "base/controls_win.h"
#include "base/files_win.h"
#include "base/module_win.h"
#include "settings/settings_win.h"
#include "app/clockface.h"
#include "base/dpi_win.h"
#include "base/filelog_win.h"
#include "base/version.h" // made by the build from the project version
#include "base/text_win.h"
#include "calendar/calpopup_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "net/fetch.h"
#include "nettime/nettime_win.h"
#include "power/actionnotice_win.h"
#include "power/power_win.h"
#include "power/schedule.h"
#include "power/screenwatch_win.h"
#include "power/shutdowndlg_win.h"
#include "app/alarmdays.h"
#include "power/alarmdlg_win.h"
#include "power/alarmring_win.h"
#include "render/glow_win.h"
#include "app/settingsdialog_win.h"

#include <mmsystem.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <random>
#include <stdexcept>
#include <utility>

namespace vemora {

namespace {

// The time to the minute and the day's date, as the tray's tip shows them.
std::wstring TrayTipText(const DateTimeParts& now, const std::wstring& status) {
    wchar_t time[16] = {};
    swprintf(time, std::size(time), L"%02d:%02d ", now.hour, now.minute);
    return time + Utf8ToWide(DateTooltipText(now.year, now.month, now.day)) + (status.empty() ? L"" : L"\n" + status);
}

// The time server as the user reads it: with the port it was asked on.
std::string NtpServerWithPort(const std::string& server) {
    if (server.empty() || server.front() == '[')
        return server;
    const size_t colon = server.find(':');
    if (colon == std::string::npos)
        return server + ":123";
    if (server.find(':', colon + 1) != std::string::npos)
        return "[" + server + "]:123"; // a bare IPv6 address
    return server;
}

// One number per minute of the calendar.
long long MinuteOf(const DateTimeParts& t) {
    return ((static_cast<long long>(t.year) * 12 + t.month) * 31 + t.day) * 1440 + t.hour * 60 + t.minute;
}

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kFlashTimer = 3;
constexpr UINT kFlashMs = 1500; // how long the tray's click shows a clock hidden by a full-screen program

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

// Whether the clock can draw with the family (GBK): GDI+ finds it, installed
// or through the system's font replacements, which the list of installed
// families does not show.
bool Drawable(const std::string& family) {
    if (family.empty())
        return false;
    const Gdiplus::FontFamily found(GbkToWide(family).c_str());
    return found.GetLastStatus() == Gdiplus::Ok;
}

// The family of the system's message font, GBK: what the clock draws with
// when neither of its own fonts is there. A name GDI+ cannot draw with (a
// logical name such as "MS Shell Dlg") gives way to GDI+'s own sans-serif.
std::string MessageFontFamily() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        const std::string family = WideToGbk(metrics.lfMessageFont.lfFaceName);
        if (Drawable(family))
            return family;
    }
    wchar_t name[LF_FACESIZE] = {};
    if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif())
        generic->GetFamilyName(name);
    return WideToGbk(name);
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

// What the shell says of the session. Looked up at run time: older systems and
// Wine may lack the call, and the check then rests on the window in front.
ShellBusyState QueryShellBusyState() {
    using Query = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    const auto query =
        shell ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(shell, "SHQueryUserNotificationState")))
              : nullptr;
    QUERY_USER_NOTIFICATION_STATE state{};
    if (!query || FAILED(query(&state)))
        return ShellBusyState::Unknown;
    switch (state) {
    case QUNS_BUSY:
        return ShellBusyState::Busy;
    case QUNS_RUNNING_D3D_FULL_SCREEN:
        return ShellBusyState::FullScreenDirect3D;
    case QUNS_PRESENTATION_MODE:
        return ShellBusyState::Presentation;
    default:
        return ShellBusyState::Free;
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
            wc.hIcon = ProgramIcon(false); // what Alt+Tab and the taskbar show for the program
            wc.hIconSm = ProgramIcon(true);
            wc.lpszClassName = L"TApplication";
            RegisterClassExW(&wc);
        }
        return CreateWindowExW(0, L"TApplication", title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                               nullptr);
    }
};

} // namespace

ClockWindow::ClockWindow(Effects& effects, ErrorReporter& reporter, MainOptions options)
    : BaseWindow(reporter, Dragging::ByMouse), effects_(effects), options_(std::move(options)) {
    if (options_.settingsPath.empty())
        options_.settingsPath = DefaultSettingsPath();
    if (options_.log) {
        log_ = options_.log;
    } else {
        auto file = std::make_shared<FileLog>(FolderOf(options_.settingsPath));
        logPath_ = file->Path();
        log_ = std::move(file);
    }
    reporter.LogTo(log_.get());
    log_->Write("program", "Vemora " VEMORA_VERSION_FULL " starts");
    if (options_.exePath.empty())
        options_.exePath = ModulePath();
    if (options_.holidaysPath.empty()) {
        const std::wstring exe = ModulePath();
        options_.holidaysPath = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"holidays.txt";
    }
    if (options_.runKey.empty())
        options_.runKey = kRunKey;
    if (options_.approvedKey.empty())
        options_.approvedKey = kStartupApprovedKey;
    appWindow_.reset(ApplicationWindowClass::Create(reporter.Title()));
    // The settings first: the window is created on top or not as the file
    // says, rather than moved afterwards. Wine keeps an owned window beside
    // its owner and ignores a move out of the topmost band while the owner is
    // the next window down.
    LoadSettingsFile();
    const ClockPlace topRight = TopRightOfPrimary(Monitors(), Face());
    const PixelRect r = ClockRectAt(topRight.topLeft, topRight.dpi, Face());
    CreateHandle(settings_.stayOnTop ? WS_EX_TOPMOST : 0, WS_POPUP, RECT{r.left, r.top, r.right, r.bottom},
                 appWindow_.get(), L"frmmain", CS_DBLCLKS);
    dpi_ = WindowDpi(hwnd_);
    mailbox_ = std::make_shared<Mailbox>(hwnd_, kWorkerResult);
    Initialise();
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
    actionNotice_.reset();
    alarmDialog_.reset();
    alarms_.reset();
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
        MoveClock(StartPlace(ScreenPoint{*settings_.posLeft, *settings_.posTop}, Monitors(), Face()));
}

void ClockWindow::MoveClock(const ClockPlace& place) {
    const PixelRect r = ClockRectAt(place.topLeft, place.dpi, Face());
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    // Arriving on a monitor of another resolution may have moved the clock to
    // the system's suggestion; the corner chosen here is the one that counts.
    dpi_ = WindowDpi(hwnd_);
    const PixelRect settled = ClockRectAt(place.topLeft, dpi_, Face());
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
    FitToFace(); // the suggestion scales the old size, which rounds
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
    if (const std::optional<ClockPlace> place =
            PlaceAfterDisplayChange({r.left, r.top, r.right, r.bottom}, Monitors(), Face()))
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
    // A file that cannot be read starts the clock with the defaults; saving
    // it later reports the trouble.
    IniDocument document;
    try {
        document = ReadSettingsDocument(options_.settingsPath);
    } catch (const std::exception& e) {
        log_->Write("settings", std::string("read with the defaults: ") + e.what());
    }
    IniDocumentStore store(document);
    LoadSettings(store, settings_);
    // Without a stored "Top" (the first start) the clock stays on top, as it
    // was created, and kMenuStayOnTop says so.
    if (!store.Has("Top"))
        settings_.stayOnTop = true;
    fontStored_ = store.Has("Font");
}

// A stored font that is not installed stays stored while the clock draws
// with the one it took instead: the font may come back (installed later, or
// a user's font loaded after autostart). Another font chosen in 设置 replaces it.
void ClockWindow::SaveSettingsFile() {
    if (!missingFont_.stored.empty() && settings_.font == missingFont_.drawn) {
        Settings kept = settings_;
        kept.font = missingFont_.stored;
        WriteSettingsFile(options_.settingsPath, kept);
        return;
    }
    WriteSettingsFile(options_.settingsPath, settings_);
}

// Windows ends the session, or the clock is about to have it end: what the
// run changed goes to disk now, for nobody will close the window. A failure
// cannot be asked about any more and stops nothing.
void ClockWindow::SaveBeforeTheSessionEnds() {
    try {
        SaveSettingsFile();
    } catch (const std::exception& e) {
        log_->Write("settings", std::string("not saved at the end of the session: ") + e.what());
    }
}

SettingsDialog* ClockWindow::settingsDialog() {
    return &companions_->settings;
}
TimedActionDialog* ClockWindow::timedActionDialog() {
    return &companions_->timedAction;
}
WeatherStrip* ClockWindow::weatherStrip() {
    return &companions_->weather.Strip();
}
WeatherFeed& ClockWindow::Weather() {
    return companions_->weather;
}
const GlowImage& ClockWindow::WeatherImage() const {
    return companions_->weather.Image();
}
bool ClockWindow::WorkersRunning() const {
    return networkTime_.Running() || (companions_ && companions_->weather.Busy()) ||
           (holidayFeed_ && holidayFeed_->Running());
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
    companions_->horoscope.OnClosed = [this] { HoroscopeClosed(); };
    companions_->calendar.OnClosed = [this] { CalendarClosed(); };
    ReadHolidayFile();
    // The fetched schedules kept from the last run, before any request.
    HolidayFeed::Options holidayOptions;
    holidayOptions.cachePath = KeptHolidaysPath();
    holidayOptions.api = settings_.holidayApi.empty() ? options_.holidayApi : settings_.holidayApi;
    holidayOptions.installSeed = InstallSeed(options_.settingsPath);
    holidayFeed_ = std::make_unique<HolidayFeed>(holidays_, *log_, mailbox_, std::move(holidayOptions));
    holidayFeed_->LoadKept();
    companions_->calendar.SetHolidayBook(&holidays_);
    ApplyLunarSetting();
    StartAlarms();
}

void ClockWindow::ApplyLunarSetting() {
    companions_->calendar.SetLunar(settings_.lunar);
}

void ClockWindow::SetArmedAction(std::optional<ScheduledActionState> action) {
    run_.armed = action.has_value();
    if (action)
        run_.scheduledAction = *action;
    SyncMenuChecks();
    StatusChanged();
    if (!run_.armed && actionNotice_)
        actionNotice_->Hide();
}

// The armed action, now: disarmed first, the settings saved before the
// system is asked to go down.
void ClockWindow::CarryOutArmedAction() {
    run_.armed = false; // disarmed before anything is carried out
    SyncMenuChecks();
    StatusChanged();
    if (actionNotice_)
        actionNotice_->Hide();
    switch (run_.scheduledAction.kind) {
    case ScheduledActionKind::Shutdown:
        SaveBeforeTheSessionEnds();
        ShutdownComputer(effects_);
        break;
    case ScheduledActionKind::Alarm:
        effects_.PlaySoundMemory(run_.ringSound, SND_ASYNC | SND_MEMORY);
        break;
    case ScheduledActionKind::Restart:
        SaveBeforeTheSessionEnds();
        RebootComputer(effects_);
        break;
    default:
        break;
    }
}

// The last seconds before a timed shutdown or restart show a countdown that
// can cancel it or carry it out at once; any other time, no notice.
void ClockWindow::UpdateActionNotice(double now) {
    const std::optional<int> left =
        NoticeSecondsLeft(run_.armed, run_.scheduledAction.kind, now, run_.scheduledAction.due);
    if (!left) {
        if (actionNotice_)
            actionNotice_->Hide();
        return;
    }
    if (!actionNotice_)
        actionNotice_ = std::make_unique<ActionNotice>(
            appWindow_.get(), reporter_, [this] { SetArmedAction(std::nullopt); },
            [this] {
                if (run_.armed)
                    CarryOutArmedAction();
            });
    actionNotice_->Show(run_.scheduledAction.kind, *left);
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
    case SettingsChange::Sign:
        if (settings_.showHoroscope)
            ShowHoroscope();
        break;
    case SettingsChange::Face:
        FitToFace();
        RedrawClock();
        // The strip takes the clock's size.
        if (settings_.showWeather && companions_->weather.Strip().Showing())
            companions_->weather.Redraw();
        // The companions hang from the clock's edges, which moved.
        if (settings_.showHoroscope)
            PlaceCompanion(companions_->horoscope.Handle(), Companion::Horoscope);
        if (companions_->calendar.Showing())
            PlaceCompanion(companions_->calendar.Handle(), Companion::Calendar);
        break;
    }
}

ClockFace ClockWindow::Face() const {
    return {settings_.showSeconds, settings_.hour12, settings_.showDate, settings_.scale};
}

// A clock that grows or shrinks stays on its monitor's work area: a clock
// never dragged keeps its top right corner, a dragged one its nearest corner.
void ClockWindow::FitToFace() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const PixelRect fit = ClockRectAt({r.left, r.top}, dpi_, Face());
    if (fit.Width() != r.right - r.left || fit.Height() != r.bottom - r.top) {
        MONITORINFO monitor{sizeof monitor};
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& w = monitor.rcWork;
        const bool dragged = settings_.posLeft && settings_.posTop;
        const ScreenPoint at = RefitClock({r.left, r.top, r.right, r.bottom}, fit.Width(), fit.Height(), dragged,
                                          {w.left, w.top, w.right, w.bottom});
        SetWindowPos(hwnd_, nullptr, at.x, at.y, fit.Width(), fit.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (settings_.showWeather && companions_)
        PlaceWeatherStrip();
}

// The strip and the panel drawn again from the text they hold, in the new
// look, without fetching anything.
void ClockWindow::RedrawCompanions() {
    if (settings_.showWeather)
        companions_->weather.Redraw();
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

std::wstring ClockWindow::KeptHolidaysPath() const {
    const std::wstring& ini = options_.settingsPath;
    const std::size_t slash = ini.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : ini.substr(0, slash + 1)) + L"holidays.cache";
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
    // The stored font that is not installed, told once the clock shows in another.
    if (!missingFontText_.empty())
        reporter_.Report(hwnd_, std::make_exception_ptr(std::runtime_error(std::exchange(missingFontText_, {}))));
    ReportHolidayProblems();
    if (alarms_)
        alarms_->ReportProblems(hwnd_);
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
        SetWindowLongW(hwnd_, GWL_EXSTYLE,
                       GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED |
                           (settings_.clickThrough ? WS_EX_TRANSPARENT : 0));
        ShowWindow(appWindow_.get(), SW_HIDE);
        FillInstalledFonts();
        const std::optional<std::string> stored =
            fontStored_ ? std::optional<std::string>(settings_.font) : std::nullopt;
        std::vector<std::string> drawable = run_.installedFonts;
        for (const std::string& family : {stored.value_or(""), std::string(kFontYaHei), std::string(kFontSongTi)})
            if (Drawable(family))
                drawable.push_back(family);
        const StartFont font = ChooseStartFont(stored, drawable, MessageFontFamily());
        settings_.font = font.family;
        missingFont_ = {font.missing, font.family};
        if (!font.missing.empty())
            missingFontText_ = MissingFontText(WideToUtf8(GbkToWide(font.missing)), WideToUtf8(GbkToWide(font.family)));
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
    resumedSinceTick_ = true;
    const bool hourMissed = lastTick_ && RefreshAfterResume(*lastTick_, Now(), settings_.showWeather, hourly_);
    companions_->weather.Resumed(hourMissed);
    Realign();
}

DateTimeParts ClockWindow::Now() const {
    return options_.clock ? options_.clock() : SystemLocalNow();
}

bool ClockWindow::Seen() const {
    return !screenWatch_ || screenWatch_->Seen();
}

// Between the last tick and this one: how far the local time went, how much
// real time passed, how much of it awake, and whether the computer woke up.
TickGap ClockWindow::GapSinceLastTick(const DateTimeParts& now) {
    TickCounts counts{EncodeDateTime(now), 0, -1};
    if (options_.realMs) {
        counts.realMs = options_.realMs();
    } else {
        counts.realMs = static_cast<long long>(GetTickCount64());
    }
    if (options_.awakeMs) {
        counts.awakeMs = options_.awakeMs();
    } else if (ULONGLONG unbiased = 0; QueryUnbiasedInterruptTime(&unbiased)) {
        counts.awakeMs = static_cast<long long>(unbiased / 10000); // 100 ns units
    }
    TickGap gap;
    gap.now = counts.local;
    gap.previousTick = lastTickCounts_ ? lastTickCounts_->local : counts.local;
    if (lastTickCounts_) {
        gap.realMs = counts.realMs - lastTickCounts_->realMs;
        if (counts.awakeMs >= 0 && lastTickCounts_->awakeMs >= 0)
            gap.awakeMs = counts.awakeMs - lastTickCounts_->awakeMs;
    }
    gap.resumed = std::exchange(resumedSinceTick_, false);
    lastTickCounts_ = counts;
    return gap;
}

void ClockWindow::Tick() {
    const DateTimeParts now = Now();
    const std::string timeText = ClockTimeText(now);
    UpdateDateLine(now);
    lastTick_ = now;
    const TickGap gap = GapSinceLastTick(now);

    // What was skipped is told after the tick's own work: the message box's
    // loop goes on ticking meanwhile.
    std::string skipped;
    switch (JudgeAction(run_.armed, EncodeDateTime(now), run_.scheduledAction.due)) {
    case ActionVerdict::Carry:
        CarryOutArmedAction();
        break;
    case ActionVerdict::Skip:
        run_.armed = false;
        SyncMenuChecks();
        StatusChanged();
        skipped = SkippedActionText(static_cast<int>(run_.scheduledAction.kind), run_.scheduledAction.due,
                                    WhyLate(gap, run_.scheduledAction.due));
        break;
    case ActionVerdict::Wait:
        break;
    }
    UpdateActionNotice(EncodeDateTime(now));
    if (alarms_)
        alarms_->Tick(EncodeDateTime(now));
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
    companions_->weather.Tick(plan.refreshWeather);
    if (holidayFeed_)
        holidayFeed_->Tick(now);
    // Nobody can see it: the tick does its work but draws nothing.
    if (Seen() && !hiddenForFullScreen_)
        RenderClock(timeText);
    if (tray_.Added())
        UpdateTrayTip(now);
    tellSkipped();
}

// The clock at its monitor's resolution and its size, with the date line
// under the time when it is shown.
void ClockWindow::RenderClock(const std::string& timeText) {
    const ClockLayout layout = Layout();
    GlowFrame frame;
    frame.width = layout.width;
    frame.height = layout.height;
    frame.firstHeight = layout.timeHeight;
    if (layout.dateEmSize > 0) {
        frame.second = GbkToWide(dateLine_);
        frame.secondEmSize = layout.dateEmSize;
        frame.secondOrigin = {layout.dateOriginX, layout.dateOriginY};
    }
    clockRenderer_.Render(hwnd_, GbkToWide(timeText), frame, settings_.font, layout.timeEmSize, settings_.startColour,
                          settings_.endColour, settings_.transparency, layout.dpi);
    lastTimeText_ = timeText;
    ++drawCount_;
    reporter_.TickDrawn();
}

std::string ClockWindow::ClockTimeText(const DateTimeParts& now) const {
    return FormatTimeText(ClockTimeFormat(timeFormat_, Face()), now.hour, now.minute, now.second);
}

// The date line is made once a day (and when the Chinese calendar is switched).
void ClockWindow::UpdateDateLine(const DateTimeParts& now) {
    if (!settings_.showDate) {
        dateLine_.clear();
        dateLineDay_.reset();
        return;
    }
    const DateLineDay day{now.year, now.month, now.day, settings_.lunar};
    if (dateLineDay_ == day)
        return;
    dateLine_ = DateLineText(now.year, now.month, now.day, settings_.lunar,
                             [](std::string_view utf8) { return WideToGbk(Utf8ToWide(utf8)); });
    dateLineDay_ = day;
}

void ClockWindow::RedrawClock() {
    const DateTimeParts now = Now();
    UpdateDateLine(now);
    RenderClock(ClockTimeText(now));
}

std::wstring ClockWindow::ShownText() const {
    return GbkToWide(ClockWindowText(lastTimeText_, settings_.showDate ? dateLine_ : std::string()));
}

// Screen readers ask the clock for its text: it answers what it shows, while
// the window keeps its own caption for everything else.
LRESULT ClockWindow::AnswerGetText(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return vemora::AnswerGetText(ShownText(), msg, wParam, lParam);
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

void ClockWindow::MouseMovedWithButton(WPARAM keys) {
    DragWithMouse(keys);
    DragEnded(); // the strip follows every step, not only the drop
}

void ClockWindow::DragEnded() {
    if (settings_.showWeather)
        PlaceWeatherStrip();
}

void ClockWindow::PlaceWeatherStrip() {
    // The clock is placed once before its companions are made (a stored
    // place at start-up); the strip is placed when it is first shown.
    if (!companions_)
        return;
    PlaceCompanion(companions_->weather.Strip().Handle(), Companion::WeatherStrip);
}

void ClockWindow::PlaceCompanion(HWND companion, Companion which) {
    RECT clock{}, own{};
    GetWindowRect(hwnd_, &clock);
    GetWindowRect(companion, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    if (which == Companion::Horoscope) {
        // The panel's sheet stays whole on the work area of the clock's
        // monitor; the picture's transparent margins may hang past it.
        MONITORINFO monitor{sizeof monitor};
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        const PixelRect margins = ScaleRectForDpi(kSheetMargins, dpi_);
        ScreenPoint at =
            CompanionPlace(which, PixelRect{clock.left, clock.top, clock.right, clock.bottom}, width, work.right, dpi_);
        // Under the weather strip, not over its text.
        if (companions_->weather.Strip().Showing()) {
            RECT strip{};
            GetWindowRect(companions_->weather.Strip().Handle(), &strip);
            at.y = std::max<int>(at.y, strip.bottom - margins.top);
        }
        at = KeepInside(at, width, height,
                        PixelRect{work.left - margins.left, work.top - margins.top, work.right + margins.right,
                                  work.bottom + margins.bottom});
        if (companions_->calendar.Showing()) {
            RECT cal{};
            GetWindowRect(companions_->calendar.Handle(), &cal);
            at = AvoidCovering(at, width, height, {cal.left, cal.top, cal.right, cal.bottom},
                               {clock.left, clock.top, clock.right, clock.bottom},
                               {work.left - margins.left, work.top, work.right + margins.right, work.bottom});
        }
        MoveWindow(companion, at.x, at.y, width, height, TRUE);
        return;
    }
    const ScreenPoint at = CompanionPlace(which, PixelRect{clock.left, clock.top, clock.right, clock.bottom}, width,
                                          GetSystemMetrics(SM_CXSCREEN), dpi_);
    MoveWindow(companion, at.x, at.y, width, height, TRUE);
}

// A settings file that cannot be written must not keep the user from
// leaving, nor may the exit claim a save that did not happen: the user
// decides whether to exit without saving (是) or to stay (否).
void ClockWindow::CloseRequested() {
    try {
        SaveSettingsFile();
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
        if (wParam == kTickTimer) {
            TickOnTheSecond();
        } else if (wParam == kFlashTimer) {
            // The flash from the tray ends: hidden again while the
            // full-screen program is still in front.
            KillTimer(hwnd_, kFlashTimer);
            if (hiddenForFullScreen_)
                ShowWindow(hwnd_, SW_HIDE);
            if (!settings_.stayOnTop)
                SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    case WM_QUERYENDSESSION:
        SaveBeforeTheSessionEnds();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            SaveBeforeTheSessionEnds();
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
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        if (lastTimeText_.empty())
            return std::nullopt; // nothing shown yet: the caption
        return AnswerGetText(msg, wParam, lParam);
    case WM_CONTEXTMENU:
        SyncMenuChecks();
        TrackContextMenu(contextMenu_.get(), lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
            RunMenuCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (clockTip_.Notify(lParam, Now(), holidays_, settings_.lunar, WithNextAlarm(StatusText(), Now())))
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

void ClockWindow::StartNetworkTime() {
    const std::string server = NtpServerName(settings_.ntpServer);
    networkTime_.Start(server, [&](unsigned generation) { AskNetworkTime(mailbox_, generation, server, log_); });
}

// A worker's result: used only when it answers the request that runs and
// what asked for it still wants it; otherwise dropped here.
void ClockWindow::ResultArrived(std::unique_ptr<WorkerResult> result) {
    if (auto* holidays = dynamic_cast<HolidayAnswer*>(result.get())) {
        if (holidayFeed_ && holidayFeed_->Arrived(*holidays, Now()))
            InvalidateRect(companions_->calendar.Calendar().Handle(), nullptr, FALSE);
    } else if (auto* answer = dynamic_cast<NetworkTimeAnswer*>(result.get())) {
        if (!networkTime_.Arrived(answer->generation).use || !settings_.networkTime)
            return;
        const std::string server = NtpServerName(settings_.ntpServer);
        // A query without an answer sets nothing and opens no box: the tips
        // say so until a query succeeds.
        if (answer->time.utc == 0) {
            log_->Write("time set", "no answer from " + server);
            networkTimeFailure_ = "校时失败：" + NtpServerWithPort(server) + " 无应答";
            StatusChanged();
            return;
        }
        if (!networkTimeFailure_.empty()) {
            networkTimeFailure_.clear();
            StatusChanged();
        }
        const std::string refused = SetClockFromNetwork(effects_, answer->time.offsetSeconds);
        char offset[48];
        std::snprintf(offset, sizeof offset, "%+.3f s", answer->time.offsetSeconds);
        log_->Write("time set", refused.empty() ? "the clock was set by " + std::string(offset) + " from " + server
                                                : "the clock was not set: " + refused);
        // Said once a run: the user believes the clock was corrected.
        if (!refused.empty() && !clockNotSetShown_) {
            clockNotSetShown_ = true;
            throw std::runtime_error(OnlinePartText(OnlinePart::NetworkTime, refused));
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

namespace vemora {

bool ClockWindow::FullScreenProgramInFront() const {
    ForegroundWindow front;
    wchar_t className[64] = {};
    if (HWND window = GetForegroundWindow()) {
        front.exists = true;
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        front.ours = process == GetCurrentProcessId();
        GetClassNameW(window, className, static_cast<int>(std::size(className)));
        front.className = className;
        RECT r{};
        GetWindowRect(window, &r);
        front.bounds = {r.left, r.top, r.right, r.bottom};
        const LONG style = GetWindowLongW(window, GWL_STYLE);
        front.framed = (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) != 0;
    }
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& m = monitor.rcMonitor;
    return FullScreenInFront(front, {m.left, m.top, m.right, m.bottom}, QueryShellBusyState());
}

void ClockWindow::CheckFullScreen() {
    if (!companions_)
        return; // the first frame shows before the companions are made
    const bool hide = settings_.hideFullScreen && faceShown_ && FullScreenProgramInFront();
    if (hide == hiddenForFullScreen_)
        return;
    hiddenForFullScreen_ = hide;
    if (hide) {
        hiddenWindows_.clear();
        for (HWND window : {hwnd_, companions_->weather.Strip().Handle(), companions_->horoscope.Handle(),
                            companions_->calendar.Handle()})
            if (IsWindowVisible(window)) {
                hiddenWindows_.push_back(window);
                ShowWindow(window, SW_HIDE);
            }
        return;
    }
    // Back without taking the focus or the foreground from the user. A
    // layered window shows nothing of what it was given while hidden: the
    // clock and the strip are drawn afresh once they show.
    for (HWND window : std::exchange(hiddenWindows_, {}))
        if (IsWindow(window))
            ShowWindow(window, SW_SHOWNOACTIVATE);
    RedrawClock();
    companions_->weather.Redraw();
}

void ClockWindow::ApplyClickThrough() {
    for (HWND window : {hwnd_, companions_->weather.Strip().Handle()}) {
        const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
        const LONG wanted = settings_.clickThrough ? style | WS_EX_TRANSPARENT : style & ~WS_EX_TRANSPARENT;
        if (wanted != style)
            SetWindowLongW(window, GWL_EXSTYLE, wanted);
    }
}

// The icon is there when asked for, and always while the mouse passes
// through the clock.
void ClockWindow::UpdateTrayIcon() {
    const bool wanted = settings_.trayIcon || settings_.clickThrough;
    if (wanted && !tray_.Added()) {
        const DateTimeParts now = Now();
        tray_.Add(hwnd_, kTrayMessage, WithNextAlarm(TrayTipText(now, StatusText()), now));
        trayTipMinute_ = MinuteOf(now);
    } else if (!wanted && tray_.Added()) {
        tray_.Remove();
    }
}

// What the tips say below the date: when the armed action will happen, and
// that the network time could not be had, until it can.
std::wstring ClockWindow::StatusText() const {
    std::wstring text;
    if (run_.armed)
        text = Utf8ToWide(DueActionText(run_.scheduledAction.kind, run_.scheduledAction.due, EncodeDateTime(Now())));
    if (!networkTimeFailure_.empty())
        text += (text.empty() ? L"" : L"\n") + Utf8ToWide(networkTimeFailure_);
    return text;
}

// The tray's tip anew at once, not at the next minute: what it says changed.
void ClockWindow::StatusChanged() {
    trayTipMinute_ = -1;
    if (tray_.Added())
        UpdateTrayTip(Now());
}

// The tip changes once a minute: it is composed when the minute is new, not
// on every tick.
void ClockWindow::UpdateTrayTip(const DateTimeParts& now) {
    if (MinuteOf(now) == trayTipMinute_)
        return;
    trayTipMinute_ = MinuteOf(now);
    tray_.SetTip(WithNextAlarm(TrayTipText(now, StatusText()), now));
}

void ClockWindow::TrayIconMessage(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
        SyncMenuChecks();
        TrackContextMenu(contextMenu_.get(), MAKELPARAM(-1, -1));
        break;
    case WM_LBUTTONUP:
        BringClockForward();
        break;
    case WM_LBUTTONDBLCLK:
        OpenCalendar();
        break;
    default:
        break;
    }
}

// The tray icon's left click: the clock in front of the other windows,
// without taking the focus. Hidden behind a full-screen program, it shows for
// a moment and hides again, so that the user sees it is there.
void ClockWindow::BringClockForward() {
    if (hiddenForFullScreen_) {
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawClock();
        SetTimer(hwnd_, kFlashTimer, kFlashMs, nullptr);
        return;
    }
    constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    if (!settings_.stayOnTop)
        SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
}

} // namespace vemora
