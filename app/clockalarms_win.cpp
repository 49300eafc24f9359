#include "app/clockalarms_win.h"

#include "base/module_win.h"
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

ClockAlarms::ClockAlarms(HWND owner, Effects& effects, ErrorReporter& reporter, const HolidayBook& holidays,
                         std::wstring settingsPath, IniDocument loaded)
    : owner_(owner), reporter_(reporter), workingDays_(holidays) {
    // Stored at once, atomically as the settings are, into the file as it is
    // now: what another program or the settings put there stays.
    auto save = [settingsPath](const std::vector<Alarm>& alarms) {
        IniDocument document = ReadSettingsDocument(settingsPath);
        DocumentSections sections(document);
        SaveAlarms(sections, alarms);
        WriteSettingsDocument(settingsPath, document);
    };
    alarms_ = std::make_unique<AlarmClock>(owner, effects, reporter, workingDays_, save,
                                           ResourceBytes(L"RING", L"WAV").data());
    // A file that could not be read starts without alarms; storing them later reports the trouble.
    DocumentSections sections(loaded);
    alarms_->Load(LoadAlarms(sections));
}

ClockAlarms::~ClockAlarms() = default;

AlarmListDialog& ClockAlarms::Dialog() {
    if (!dialog_)
        dialog_ = std::make_unique<AlarmListDialog>(
            owner_, reporter_, workingDays_, [this](std::vector<Alarm> alarms) { alarms_->Replace(std::move(alarms)); },
            [this](const std::string& sound) { alarms_->Preview(sound); });
    return *dialog_;
}

std::wstring ClockAlarms::WithNextAlarm(std::wstring tip, double now) const {
    const std::wstring line = alarms_->NextAlarmLine(now);
    if (line.empty())
        return tip;
    return tip.empty() ? line : tip + L"\r\n" + line;
}

} // namespace vemora
