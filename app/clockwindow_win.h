#pragma once
#include "app/clockface.h"
#include "app/clocktick.h"
#include "app/clocktip_win.h"
#include "app/placement.h"
#include "app/trayicon_win.h"
#include "base/datetime.h"
#include "base/effects_win.h"
#include "base/eventlog.h"
#include "base/handles_win.h"
#include "app/settingsdialog_win.h"
#include "power/schedule.h"
#include "settings/settings.h"
#include "base/uxtheme_win.h"
#include "base/window_win.h"
#include "calendar/holidayfeed_win.h"
#include "calendar/holidays.h"
#include "base/worker_win.h"
#include "weather/weatherfeed_win.h"
#include "base/eventlog.h"
#include "net/request.h"
#include "render/glow_win.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <optional>

namespace vemora {

class SettingsDialog;
class TimedActionDialog;
class WeatherStrip;
class HoroscopePanel;
class CalendarPopup;
class ScreenWatch;
class ActionNotice;
class AlarmClock;
class AlarmListDialog;
class CalendarWorkingDays;

struct MainOptions {
    std::wstring settingsPath;            // clockset.ini; empty: beside the executable
    std::function<DateTimeParts()> clock; // local now; empty: the system clock
    std::wstring exePath;                 // what autostart registers; empty: this module
    std::wstring holidaysPath;            // holidays.txt; empty: beside the executable
    std::string runKey;                   // where, under HKCU; empty: the system's Run key
    std::string approvedKey;              // the start-up manager's switches, under HKCU; empty: the system's
    int resumeRefreshDelayMs = 10000;     // after a sleep, the weather page waits for the network
    std::optional<TimeFormat> timeFormat; // empty: the user's, from the locale
    // Milliseconds by a count that runs on through sleep and that setting the
    // clock never moves, and of those the ones the computer was awake; empty:
    // the system's (GetTickCount64, QueryUnbiasedInterruptTime).
    std::function<long long()> realMs;
    std::function<long long()> awakeMs;

    // Unix seconds now, for the forecast's schedule; empty: the system clock.
    std::function<std::int64_t()> unixClock;

    // Where the run's events go; empty: vemora.log beside the settings file
    // (or in the user's local application data when that folder cannot be written).
    std::shared_ptr<EventLog> log;
    // Where holiday schedules are asked for when the settings name no
    // HolidayApi; empty: the public data set.
    std::string holidayApi;
};

// The context menu's commands. The numbers are what WM_COMMAND carries;
// automation that drives the menu relies on them.
// clang-format off
enum MenuCommand : UINT {
    kMenuTimedAction = 101, kMenuStayOnTop, kMenuExit, kMenuHomePage, kMenuAutostart,
    kMenuSettings, kMenuWeather, kMenuHoroscope, kMenuCalendar,
    kMenuHideFullScreen, kMenuClickThrough, kMenuTrayIcon, kMenuAlarms
};
// clang-format on

// What lives only while the program runs: never stored.
struct ClockRunState {
    bool calendarShown = false; // the calendar pop-up is wanted
    bool armed = false;         // a timed action waits for its time
    ScheduledActionState scheduledAction;
    bool autostart = false;                  // the Run value starts this program
    const void* ringSound = nullptr;         // the alarm sound in the program's resources
    std::vector<std::string> installedFonts; // GBK, as the settings dialog lists them
};

// The main clock window: a borderless, layered, topmost window at the top
// right of the screen (230 x 55 at 96 dpi, as its face lays it out), ticking
// once a second.
class ClockWindow : public BaseWindow<ClockWindow>, public SettingsDialogHost, public WeatherFeedHost {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmmain";

    ClockWindow(Effects& effects, ErrorReporter& reporter, MainOptions options = {});
    ~ClockWindow();

    // Makes the five companion windows together; they live until the clock goes.
    void CreateCompanions();
    // Shows the clock with its first frame, before the companions are made.
    void ShowFace();
    // Shows the window: StartCompanions, then the window itself.
    void Show();

    void Initialise();
    // What the settings ask for once the clock shows: the weather, the
    // horoscope and the network time.
    void StartCompanions();
    // Saves the settings and ends the clock; a save that fails asks first.
    void CloseRequested() override;
    void OpenCalendar();
    void MouseMovedWithButton(WPARAM keys) override;
    // A drag of the clock ended: the weather strip stands under where it was dropped.
    void DragEnded() override;
    // The second's work: the due action, the hourly alert and refresh, the drawing.
    void Tick();
    void ShakeWindow(HWND window);
    // Draws the current time at once, outside the ticks.
    void RedrawClock();

    // The run's event log, which the clock owns and hands down; and the file
    // it goes to (empty when it goes to none).
    EventLog& Log() { return *log_; }
    const std::wstring& LogPath() const { return logPath_; }

    // The settings the clock runs with and writes on exit.
    const Settings& CurrentSettings() const override { return settings_; }
    void ChangeSettings(const Settings& changed, SettingsChange what) override;
    const std::vector<std::string>& InstalledFonts() const override { return run_.installedFonts; }
    bool AutostartOn() const override { return run_.autostart; }
    void CityTyped(const std::wstring& typed) override;
    // What the weather feed reads and hands back.
    WeatherSettings WeatherValues() const override;
    void StorePlace(const std::string& city, const std::string& place, double latitude, double longitude) override;
    void StoreCity(const std::string& city) override;
    void PlaceStrip(HWND strip) override;
    void StripClosed() override { WeatherClosed(); }
    const ClockRunState& RunState() const { return run_; }
    // Arms a timed action, or disarms it with none.
    void SetArmedAction(std::optional<ScheduledActionState> action);

    void ShowWeather();
    void ShowCalendar();
    void ShowHoroscope();
    // The calendar pop-up with or without the Chinese calendar, as the
    // Lunar setting says.
    void ApplyLunarSetting();

    void ShowTimedActionDialog();
    // The alarms' list (clockalarms_win.cpp).
    void ShowAlarmDialog();
    AlarmClock* alarmClock() { return alarms_.get(); }
    AlarmListDialog* alarmDialog();
    void ToggleStayOnTop();
    void Exit();
    void ShowAboutAndHomePage();
    void ToggleAutostart() override;
    void ShowSettingsDialog();
    void ToggleWeather();
    void ToggleHoroscope();
    void ToggleCalendar();
    void ToggleHideFullScreen();
    // The mouse passes through the clock and its weather strip; the menu is
    // then reached through the tray icon, which stays while this is on.
    void ToggleClickThrough();
    void ToggleTrayIcon();
    // The clock and its companions stand hidden behind a full-screen program.
    bool HiddenForFullScreen() const { return hiddenForFullScreen_; }
    const TrayIcon& Tray() const { return tray_; }
    // The tray icon's mouse messages: lParam is the mouse message.
    static constexpr UINT kTrayMessage = WM_APP + 2;
    // A companion closed by its own close box or Alt+F4: switched off as its
    // menu item does.
    void WeatherClosed();
    void HoroscopeClosed();
    void CalendarClosed();

    HMENU ContextMenu() const { return contextMenu_.get(); }
    void SyncMenuChecks();
    void ReadAutostartState();
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool enabled);
    DateTimeParts Now() const;
    const std::string& LastTimeText() const { return lastTimeText_; }
    int DrawCount() const { return drawCount_; }
    int ShakeCount() const { return shakeCount_; }
    // Whether anybody can see the clock: the display is on and the session unlocked.
    bool Seen() const;
    // A weather request or the network time query is on its way.
    bool WorkersRunning() const;
    HWND ApplicationWindow() const { return appWindow_.get(); }
    // The resolution of the clock's monitor.
    int Dpi() const { return dpi_; }
    // How the settings have the clock show the time, and where its pieces go.
    ClockFace Face() const;
    ClockLayout Layout() const { return LayoutClock(dpi_, Face()); }
    // The date line under the time as last drawn, GBK; empty when none is shown.
    const std::string& DateLine() const { return dateLine_; }
    // What WM_GETTEXT answers: the time as drawn, then the date line when shown.
    std::wstring ShownText() const;
    const GlowImage& ClockImage() const { return clockRenderer_.Image(); }
    const GlowImage& WeatherImage() const;
    const std::wstring& SettingsPath() const { return options_.settingsPath; }
    // The weather strip and what feeds it.
    WeatherFeed& Weather();
    Effects& effects() { return effects_; }
    ErrorReporter& reporter() { return reporter_; }

    SettingsDialog* settingsDialog();
    TimedActionDialog* timedActionDialog();
    WeatherStrip* weatherStrip();
    HoroscopePanel* horoscopePanel();
    CalendarPopup* calendarPopup();
    const HolidayBook& Holidays() const { return holidays_; }
    const HolidayFeed* HolidaySchedules() const { return holidayFeed_.get(); }
    // holidays.cache, beside the settings file.
    std::wstring KeptHolidaysPath() const;
    HWND ClockTipWindow() const { return clockTip_.Handle(); }
    // The notice before a timed shutdown or restart; none before the first.
    ActionNotice* actionNotice() { return actionNotice_.get(); }

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void HandlerFailed(UINT msg, const std::exception_ptr& error) override;

    static constexpr UINT kWorkerResult = WM_APP + 1;

private:
    void TickOnTheSecond();
    void ScheduleTick();
    void Realign();
    void Resumed();
    void RenderClock(const std::string& timeText);
    std::string ClockTimeText(const DateTimeParts& now) const;
    void UpdateDateLine(const DateTimeParts& now);
    // The window takes the size its face lays out, keeping its top left corner.
    void FitToFace();
    LRESULT AnswerGetText(UINT msg, WPARAM wParam, LPARAM lParam) const;
    void StartNetworkTime();
    void ResultArrived(std::unique_ptr<WorkerResult> result);
    void LoadSettingsFile();
    void SaveSettingsFile();
    void SaveBeforeTheSessionEnds();
    void PlaceWeatherStrip();
    void RedrawCompanions();
    void PlaceAtStart();
    void MoveClock(const ClockPlace& place);
    void DpiChanged(int dpi, LPARAM suggested);
    void DisplayChanged();
    void PositionChanged(const WINDOWPOS& position);
    // Moves a companion window, keeping its size, to its place by the clock.
    void PlaceCompanion(HWND companion, Companion which);
    struct MenuItem;
    static const MenuItem kMenuItems[];
    void BuildContextMenu();
    void RunMenuCommand(UINT id);
    void ShowDialogModal(HWND dialog, const std::function<void()>& run);
    void FillInstalledFonts();
    void ReadHolidayFile();
    void ReportHolidayProblems();
    void CarryOutArmedAction();
    void UpdateActionNotice(double now);
    // Once a second: hides the clock and its shown companions while a
    // full-screen program is in front on its monitor, shows them again after.
    void CheckFullScreen();
    bool FullScreenProgramInFront() const;
    void ApplyClickThrough();
    void UpdateTrayIcon();
    // The tray's tip for this minute; sent only when the minute is new.
    void UpdateTrayTip(const DateTimeParts& now);
    std::wstring StatusText() const;
    void StatusChanged();
    void TrayIconMessage(LPARAM mouseMessage);
    void BringClockForward();

    Effects& effects_;
    MainOptions options_;
    std::shared_ptr<EventLog> log_; // shared with the workers, which may outlive the clock
    std::wstring logPath_;
    Settings settings_;
    ClockRunState run_;
    TimeFormat timeFormat_;
    UxTheme uxTheme_;
    GlowRenderer clockRenderer_;
    UniqueHwnd appWindow_;
    UniqueHmenu contextMenu_;
    bool timerEnabled_ = false;
    std::optional<DateTimeParts> lastTick_; // when the last tick ran
    // What the last tick saw, for telling why an action came late.
    struct TickCounts {
        double local = 0;
        long long realMs = 0;
        long long awakeMs = -1;
    };
    std::optional<TickCounts> lastTickCounts_;
    bool resumedSinceTick_ = false;
    TickGap GapSinceLastTick(const DateTimeParts& now);
    HourlyState hourly_;
    std::shared_ptr<Mailbox> mailbox_;
    RequestSlot networkTime_;
    bool clockNotSetShown_ = false;
    std::string networkTimeFailure_; // UTF-8: the last time query had no answer; empty after one
    std::unique_ptr<ScreenWatch> screenWatch_;
    std::string lastTimeText_;
    std::string dateLine_;
    struct DateLineDay {
        int year, month, day;
        bool lunar;
        bool operator==(const DateLineDay&) const = default;
    };
    std::optional<DateLineDay> dateLineDay_; // what dateLine_ was made for
    int drawCount_ = 0;
    bool faceShown_ = false;
    struct {
        std::exception_ptr failure;
        bool tick = false;
    } faceFailure_; // what went wrong in ShowFace, reported by StartCompanions
    int shakeCount_ = 0;
    HolidayBook holidays_;
    std::unique_ptr<HolidayFeed> holidayFeed_; // fills holidays_ with the fetched schedules
    std::vector<std::string> holidayProblems_; // UTF-8, reported once after the clock shows
    ClockTip clockTip_;
    int dpi_ = kDesignDpi;
    bool inMoveLoop_ = false;
    bool fontStored_ = false;     // the settings file names a font
    std::string missingFontText_; // UTF-8: the stored font is not installed, told once the clock shows
    struct {
        std::string stored; // GBK: the stored font that is not installed; empty when it is
        std::string drawn;  // what the clock draws with instead
    } missingFont_;

    std::unique_ptr<ActionNotice> actionNotice_;
    bool hiddenForFullScreen_ = false;
    std::vector<HWND> hiddenWindows_; // what the full-screen check hid, to show again
    bool clickThroughNoteShown_ = false;
    TrayIcon tray_;
    long long trayTipMinute_ = -1; // the minute the tray's tip was composed for
    UINT taskbarCreated_ = 0;      // the shell's "TaskbarCreated" message: Explorer restarted

    // The alarms, made with the companions once the holidays are read.
    void StartAlarms();
    // A tip's text with the next alarm's line under it, when one will ring.
    std::wstring WithNextAlarm(std::wstring tip, const DateTimeParts& now) const;
    std::unique_ptr<CalendarWorkingDays> workingDays_;
    std::unique_ptr<AlarmClock> alarms_;
    std::unique_ptr<AlarmListDialog> alarmDialog_;

    // The windows beside the clock, made together once the clock exists.
    struct Companions;
    std::unique_ptr<Companions> companions_;
};

} // namespace vemora
