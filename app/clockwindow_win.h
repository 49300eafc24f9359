#pragma once
#include "app/autostart_win.h"
#include "app/clockalarms_win.h"
#include "app/clockoptions.h"
#include "app/clockpainter_win.h"
#include "app/clockplacement_win.h"
#include "app/clockface.h"
#include "app/clockmenu_win.h"
#include "app/clocktick.h"
#include "app/clocktip_win.h"
#include "app/clocktray_win.h"
#include "app/companions_win.h"
#include "app/desktop_win.h"
#include "app/fullscreenwatch_win.h"
#include "app/placement.h"
#include "app/settingsdialog_win.h"
#include "app/storedsettings_win.h"
#include "base/datetime.h"
#include "base/effects_win.h"
#include "base/eventlog.h"
#include "base/handles_win.h"
#include "base/uxtheme_win.h"
#include "base/window_win.h"
#include "base/worker_win.h"
#include "calendar/knownholidays_win.h"
#include "nettime/networktimesetter_win.h"
#include "power/armedaction_win.h"
#include "power/screenwatch_win.h"
#include "render/glow_win.h"
#include "settings/settings.h"
#include "weather/weatherfeed_win.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vemora {

// The main clock window: a borderless, layered, topmost window at the top
// right of the screen (230 x 55 at 96 dpi, as its face lays it out), ticking
// once a second. It draws the time and hosts the rest: the companions, the
// menu, the tray icon, the alarms, the timed action and the network time.
class ClockWindow : public BaseWindow<ClockWindow>, public SettingsDialogHost, public WeatherFeedHost {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmmain";
    static constexpr UINT kWorkerResult = WM_APP + 1;
    static constexpr UINT kTrayMessage = ClockTray::kMessage;

    ClockWindow(Effects& effects, ErrorReporter& reporter, MainOptions options = {});
    ~ClockWindow();

    // Shows the clock with its first frame, before the companions are made.
    void ShowFace();
    // Makes the companion windows together; they live until the clock goes.
    void CreateCompanions();
    // StartCompanions, then the window itself, then what is to be told once it shows.
    void Show();
    // What the settings ask for once the clock shows: the weather, the
    // horoscope and the network time, each on its own.
    void StartCompanions();

    // The second's work: the due action, the alarms, the hourly alert and
    // refresh, the drawing.
    void Tick();
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool enabled);
    // Draws the current time at once, outside the ticks.
    void RedrawClock();
    DateTimeParts Now() const { return options_.clock ? options_.clock() : SystemLocalNow(); }

    // The menu's commands and the companions' switches.
    void ToggleStayOnTop();
    void ToggleHideFullScreen();
    // The mouse passes through the clock and its weather strip; the menu is
    // then reached through the tray icon, which stays while this is on.
    void ToggleClickThrough();
    void ToggleTrayIcon();
    void ToggleWeather();
    void ToggleCalendar();
    void ToggleHoroscope();
    void ToggleAutostart() override;
    void OpenCalendar();
    void ShowWeather() { companions_->weather.Show(); }
    void ShowCalendar();
    void ShowHoroscope() { companions_->ShowHoroscope(position_.Dpi()); }
    void ShowSettingsDialog();
    void ShowTimedActionDialog();
    void ShowAlarmDialog();
    void ShowAboutAndHomePage();
    void Exit();
    // Arms a timed action, or disarms it with none.
    void SetArmedAction(std::optional<ScheduledActionState> action) { armed_.Set(action); }
    // The calendar pop-up with or without the Chinese calendar, as the Lunar setting says.
    void ApplyLunarSetting() { companions_->calendar.SetLunar(settings_.lunar); }

    // SettingsDialogHost and WeatherFeedHost: the companions read the
    // settings and hand back what the user changed.
    const Settings& CurrentSettings() const override { return settings_; }
    void ChangeSettings(const Settings& changed, SettingsChange what) override;
    const std::vector<std::string>& InstalledFonts() const override { return installedFonts_; }
    bool AutostartOn() const override { return autostart_.On(); }
    void CityTyped(const std::wstring& typed) override { companions_->weather.CityTyped(typed); }
    WeatherSettings WeatherValues() const override;
    void StorePlace(const std::string& city, const std::string& place, double latitude, double longitude) override;
    void StoreCity(const std::string& city) override { settings_.city = city; }
    void PlaceStrip(HWND strip) override;
    void StripClosed() override;

    // What the tests and the menu read.
    ClockRunState RunState() const;
    HMENU ContextMenu() const { return menu_.Handle(); }
    const TrayIcon& Tray() const { return tray_.Icon(); }
    bool HiddenForFullScreen() const { return fullScreen_.Hidden(); }
    const std::string& LastTimeText() const { return painter_.LastTimeText(); }
    int DrawCount() const { return painter_.DrawCount(); }
    int ShakeCount() const { return shakeCount_; }
    // Whether anybody can see the clock: the display is on and the session unlocked.
    bool Seen() const { return !screenWatch_ || screenWatch_->Seen(); }
    // A weather request, the network time query or a holiday request is on its way.
    bool WorkersRunning() const;
    // The resolution of the clock's monitor.
    int Dpi() const { return position_.Dpi(); }
    // How the settings have the clock show the time, and where its pieces go.
    ClockFace Face() const { return {settings_.showSeconds, settings_.hour12, settings_.showDate, settings_.scale}; }
    ClockLayout Layout() const { return LayoutClock(position_.Dpi(), Face()); }
    // What WM_GETTEXT answers: the time as drawn, then the date line when shown.
    std::wstring ShownText() const { return painter_.ShownText(settings_.showDate); }
    const GlowImage& ClockImage() const { return painter_.Image(); }
    const GlowImage& WeatherImage() const { return companions_->weather.Image(); }
    // The run's event log, which the clock owns and hands down; and the file
    // it goes to (empty when it goes to none).
    EventLog& Log() { return *log_; }
    const std::wstring& LogPath() const { return logPath_; }
    WeatherFeed& Weather() { return companions_->weather; }
    SettingsDialog* settingsDialog() { return &companions_->settings; }
    TimedActionDialog* timedActionDialog() { return &companions_->timedAction; }
    WeatherStrip* weatherStrip() { return &companions_->weather.Strip(); }
    HoroscopePanel* horoscopePanel() { return &companions_->horoscope; }
    CalendarPopup* calendarPopup() { return &companions_->calendar; }
    AlarmClock* alarmClock() { return alarms_ ? &alarms_->Clock() : nullptr; }
    AlarmListDialog* alarmDialog() { return &alarms_->Dialog(); }
    ActionNotice* actionNotice() { return armed_.Notice(); }
    const HolidayBook& Holidays() const { return holidays_.Book(); }
    HWND ClockTipWindow() const { return clockTip_.Handle(); }

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void HandlerFailed(UINT msg, const std::exception_ptr& error) override;
    // Saves the settings and ends the clock; a save that fails asks first.
    void CloseRequested() override;
    void MouseMovedWithButton(WPARAM keys) override;
    // A drag of the clock ended: the weather strip stands under where it was dropped.
    void DragEnded() override { PlaceWeatherStrip(); }

private:
    void TickOnTheSecond();
    void ScheduleTick();
    void Realign();
    void Resumed();
    void RenderClock(const std::string& timeText);
    // The user has dragged the clock: it starts where it was left.
    bool Dragged() const { return settings_.posLeft && settings_.posTop; }
    // The clock is placed once before its companions are made (a stored place
    // at start-up); the strip is placed when it is first shown.
    void PlaceWeatherStrip() {
        if (settings_.showWeather && companions_)
            companions_->Place(Companion::WeatherStrip, position_.Dpi());
    }
    void CheckFullScreen();
    void ApplyClickThrough() {
        SetClickThrough({hwnd_, companions_->weather.Strip().Handle()}, settings_.clickThrough);
    }
    // The icon is there when asked for, and always while the mouse passes through the clock.
    void UpdateTrayIcon() { tray_.Want(settings_.trayIcon || settings_.clickThrough, hwnd_, Now()); }
    void TrayIconMessage(LPARAM mouseMessage);
    void ShowDialogModal(HWND dialog, const std::function<void()>& run);
    // The lines the tips show under the date: the armed action and a failed
    // time set; and a tip with the next alarm's line under it, when one will ring.
    std::wstring StatusText(const DateTimeParts& now) const;
    std::wstring WithNextAlarm(std::wstring tip, const DateTimeParts& now) const;
    void StatusChanged() { tray_.StatusChanged(Now()); }

    Effects& effects_;
    MainOptions options_;
    std::shared_ptr<EventLog> log_; // shared with the workers, which may outlive the clock
    std::wstring logPath_;
    StoredSettings settingsFile_;
    Settings settings_;
    AutostartEntry autostart_;
    std::vector<std::string> installedFonts_;
    bool calendarShown_ = false;
    TimeFormat timeFormat_;
    UxTheme uxTheme_;
    ClockPainter painter_;
    UniqueHwnd appWindow_;
    ClockPlacement position_;
    ClockMenu menu_;
    ClockTip clockTip_;
    ClockTray tray_;
    FullScreenWatch fullScreen_;
    bool clickThroughNoteShown_ = false;
    UINT taskbarCreated_ = 0; // the shell's "TaskbarCreated" message: Explorer restarted
    std::shared_ptr<Mailbox> mailbox_;
    std::unique_ptr<ScreenWatch> screenWatch_;
    KnownHolidays holidays_;
    ArmedAction armed_;
    NetworkTimeSetter networkTime_;
    std::unique_ptr<ClockAlarms> alarms_; // made with the companions, once the holidays are read
    std::unique_ptr<Companions> companions_;

    bool timerEnabled_ = false;
    std::optional<DateTimeParts> lastTick_; // when the last tick ran
    HourlyState hourly_;
    int shakeCount_ = 0;
    bool faceShown_ = false;
    struct {
        std::exception_ptr failure;
        bool tick = false;
    } faceFailure_;               // what went wrong in ShowFace, reported by StartCompanions
    std::string missingFontText_; // UTF-8: the stored font is not installed, told once the clock shows
};

} // namespace vemora
