#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"
#include "power/alarm.h"

#include <functional>
#include <optional>
#include <vector>

namespace vemora {

// One alarm's editor: time, repeat (once on a date, every day, China's
// working days, Monday to Friday, chosen weekdays), label, sound, snooze and
// wake. Runs modal over the list.
class AlarmEditor : public BaseWindow<AlarmEditor> {
public:
    static constexpr const wchar_t* kClassName = L"TVemoraAlarmEdit";
    // clang-format off
    enum Id {
        kOkButton = 10, kCancelButton, kHourEdit, kMinuteEdit, kRepeatList, kDatePicker, kFirstDayBox,
        kLabelEdit = kFirstDayBox + 7, kBuiltInSound, kFileSound, kSoundEdit, kBrowseButton, kPreviewButton,
        kSnoozeEdit, kWakeBox
    };
    // clang-format on

    // preview plays a sound once (GBK path; empty: the built-in ring).
    AlarmEditor(HWND owner, ErrorReporter& reporter, std::function<void(const std::string&)> preview);

    // The alarm as the user leaves it, or none when cancelled. today: the
    // date a new once alarm proposes.
    std::optional<Alarm> Edit(const Alarm& alarm, long long today, HWND modalOver);

    SpinEdit hourEdit, minuteEdit, snoozeEdit;
    HWND repeatList = nullptr, datePicker = nullptr, dayBoxes[7] = {}, labelEdit = nullptr;
    HWND builtInSound = nullptr, fileSound = nullptr, soundEdit = nullptr, wakeBox = nullptr;
    HWND okButton = nullptr, cancelButton = nullptr;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowRepeatControls();
    Alarm Collect() const;
    void Browse();

    std::function<void(const std::string&)> preview_;
    std::optional<Alarm> result_;
    Alarm editing_;
    UniqueHfont font_;
};

// The list of alarms: time, repeat in words, label and an on/off box each,
// with 新建, 编辑 and 删除; 确定 stores them at once.
class AlarmListDialog : public BaseWindow<AlarmListDialog> {
public:
    static constexpr const wchar_t* kClassName = L"TVemoraAlarms";
    enum Id { kList = 10, kNewButton, kEditButton, kDeleteButton, kOkButton, kCancelButton };

    // accept stores the alarms (and may throw: the dialog then stays open).
    AlarmListDialog(HWND owner, ErrorReporter& reporter, const WorkingDays& days,
                    std::function<void(std::vector<Alarm>)> accept, std::function<void(const std::string&)> preview);

    // now: local date-time, for the notes and a new alarm's date.
    void ShowModal(HWND modalOver, std::vector<Alarm> alarms, double now);
    const std::vector<Alarm>& Alarms() const { return alarms_; }
    AlarmEditor& Editor() { return editor_; }

    void NewAlarm();
    void EditAlarm(int index);
    void DeleteAlarm(int index);
    void Accept();
    int Selected() const;

    HWND list = nullptr, newButton = nullptr, editButton = nullptr, deleteButton = nullptr;
    HWND okButton = nullptr, cancelButton = nullptr;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Fill();
    // One alarm's row in words, as the list and WM_GETTEXT show it.
    std::wstring RowText(const Alarm& alarm) const;

    const WorkingDays& days_;
    std::function<void(std::vector<Alarm>)> accept_;
    std::vector<Alarm> alarms_;
    double now_ = 0;
    bool filling_ = false;
    AlarmEditor editor_;
    UniqueHfont font_;
};

} // namespace vemora
