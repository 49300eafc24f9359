// The clock's alarms: read from and stored in clockset.ini, their working
// days from the calendar's holidays, their list dialog on the menu.
#include "app/alarmdays.h"
#include "app/clockwindow_win.h"
#include "base/module_win.h"
#include "base/text_win.h"
#include "power/alarmdlg_win.h"
#include "power/alarmring_win.h"
#include "settings/inifile.h"
#include "settings/settings_win.h"

namespace vemora {

namespace {

// The alarms' sections of the settings document.
class DocumentSections : public AlarmSections {
public:
    explicit DocumentSections(IniDocument& document) : document_(document) {}
    std::optional<std::string> Get(std::string_view section, std::string_view key) const override {
        return document_.Get(section, key);
    }
    void Set(std::string_view section, std::string_view key, std::string_view value) override {
        document_.Set(section, key, value);
    }
    void Remove(std::string_view section) override { document_.RemoveSection(section); }

private:
    IniDocument& document_;
};

} // namespace

void ClockWindow::StartAlarms() {
    workingDays_ = std::make_unique<CalendarWorkingDays>(holidays_);
    // Stored at once, atomically as the settings are, into the file as it is
    // now: what another program or the settings put there stays.
    const std::wstring path = options_.settingsPath;
    auto save = [path](const std::vector<Alarm>& alarms) {
        IniDocument document = ReadSettingsDocument(path);
        DocumentSections sections(document);
        SaveAlarms(sections, alarms);
        WriteSettingsDocument(path, document);
    };
    alarms_ = std::make_unique<AlarmClock>(appWindow_.get(), effects_, reporter_, *workingDays_, save,
                                           ResourceBytes(L"RING", L"WAV").data());
    // A file that cannot be read starts without alarms; storing them later reports the trouble.
    IniDocument document;
    try {
        document = ReadSettingsDocument(options_.settingsPath);
    } catch (const std::exception&) {
    }
    DocumentSections sections(document);
    alarms_->Load(LoadAlarms(sections));
}

AlarmListDialog* ClockWindow::alarmDialog() {
    if (!alarmDialog_)
        alarmDialog_ = std::make_unique<AlarmListDialog>(
            appWindow_.get(), reporter_, *workingDays_,
            [this](std::vector<Alarm> alarms) { alarms_->Replace(std::move(alarms)); },
            [this](const std::string& sound) { alarms_->Preview(sound); });
    return alarmDialog_.get();
}

void ClockWindow::ShowAlarmDialog() {
    AlarmListDialog* dialog = alarmDialog();
    ShowDialogModal(dialog->Handle(),
                    [this, dialog] { dialog->ShowModal(hwnd_, alarms_->Alarms(), EncodeDateTime(Now())); });
}

std::wstring ClockWindow::WithNextAlarm(std::wstring tip, const DateTimeParts& now) const {
    if (!alarms_)
        return tip;
    const std::wstring line = alarms_->NextAlarmLine(EncodeDateTime(now));
    if (line.empty())
        return tip;
    return tip.empty() ? line : tip + L"\r\n" + line;
}

} // namespace vemora
