#pragma once
// The clock's alarms: read from and stored in clockset.ini, their working
// days from the calendar's holidays, their list dialog on the menu.
#include "app/alarmdays.h"
#include "base/effects_win.h"
#include "base/errorreporter_win.h"
#include "power/alarmlistdialog_win.h"
#include "settings/inifile.h"
#include "power/alarmclock_win.h"

#include <memory>
#include <string>

namespace vemora {

class ClockAlarms {
public:
    // The alarms of the settings file as read at start (`loaded`), stored back
    // into it as they change; `owner` owns their windows.
    ClockAlarms(HWND owner, Effects& effects, ErrorReporter& reporter, const HolidayBook& holidays,
                std::wstring settingsPath, IniDocument loaded);
    ~ClockAlarms();

    AlarmClock& Clock() { return *alarms_; }
    // The alarms' list, made when first asked for.
    AlarmListDialog& Dialog();
    void Tick(double now) { alarms_->Tick(now); }
    // A tip's text with the next alarm's line under it, when one will ring.
    std::wstring WithNextAlarm(std::wstring tip, double now) const;

private:
    HWND owner_;
    ErrorReporter& reporter_;
    CalendarWorkingDays workingDays_;
    std::unique_ptr<AlarmClock> alarms_;
    std::unique_ptr<AlarmListDialog> dialog_;
};

} // namespace vemora
