#include "power/alarmlistdialog_win.h"

#include "base/controls_win.h"
#include "base/datetime.h"
#include "base/text_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cmath>

namespace vemora {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The repeat list's items in their order.
constexpr AlarmRepeat kRepeatOfItem[] = {AlarmRepeat::Once, AlarmRepeat::Daily, AlarmRepeat::Workdays,
                                         AlarmRepeat::Weekdays, AlarmRepeat::Days};
constexpr const wchar_t* kRepeatItems[] = {L"仅一次", L"每天", L"法定工作日", L"周一至周五", L"指定星期"};
constexpr const wchar_t* kDayNames[] = {L"一", L"二", L"三", L"四", L"五", L"六", L"日"};

void EnsureCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
}

int RepeatItem(AlarmRepeat repeat) {
    for (int i = 0; i < 5; ++i)
        if (kRepeatOfItem[i] == repeat)
            return i;
    return 0;
}

} // namespace

AlarmEditor::AlarmEditor(HWND owner, ErrorReporter& reporter, std::function<void(const std::string&)> preview)
    : BaseWindow(reporter), preview_(std::move(preview)) {
    EnsureCommonControls();
    CreateHandle(kExStyle, kStyle, DialogBounds(340, 300, kStyle, kExStyle), owner, L"编辑闹钟");
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    CreateControl(hwnd_, {L"STATIC", L"时间：", SS_LEFT, 16, 19, 60, 16, 0}, f);
    hourEdit.Create(hwnd_, 80, 16, 49, 22, kHourEdit, 0, 23, 7, f);
    CreateControl(hwnd_, {L"STATIC", L"时", SS_LEFT, 133, 19, 16, 16, 0}, f);
    minuteEdit.Create(hwnd_, 154, 16, 49, 22, kMinuteEdit, 0, 59, 0, f);
    CreateControl(hwnd_, {L"STATIC", L"分", SS_LEFT, 207, 19, 16, 16, 0}, f);
    CreateControl(hwnd_, {L"STATIC", L"重复：", SS_LEFT, 16, 51, 60, 16, 0}, f);
    repeatList = CreateControl(
        hwnd_, {L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 80, 48, 123, 160, kRepeatList}, f);
    for (const wchar_t* item : kRepeatItems)
        SendMessageW(repeatList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    datePicker = CreateControl(
        hwnd_, {DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_SHORTDATEFORMAT, 80, 80, 123, 22, kDatePicker}, f);
    for (int d = 0; d < 7; ++d)
        dayBoxes[d] = CreateControl(
            hwnd_, {L"BUTTON", kDayNames[d], WS_TABSTOP | BS_AUTOCHECKBOX, 80 + d * 36, 82, 34, 18, kFirstDayBox + d},
            f);
    CreateControl(hwnd_, {L"STATIC", L"标签：", SS_LEFT, 16, 117, 60, 16, 0}, f);
    labelEdit =
        CreateControl(hwnd_, {L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 80, 114, 240, 22, kLabelEdit}, f);
    SendMessageW(labelEdit, EM_LIMITTEXT, kAlarmLabelMaxChars, 0);
    CreateControl(hwnd_, {L"STATIC", L"铃声：", SS_LEFT, 16, 149, 60, 16, 0}, f);
    builtInSound = CreateControl(
        hwnd_, {L"BUTTON", L"内置铃声", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 80, 147, 100, 20, kBuiltInSound},
        f);
    fileSound = CreateControl(hwnd_, {L"BUTTON", L"声音文件：", BS_AUTORADIOBUTTON, 80, 173, 100, 20, kFileSound}, f);
    soundEdit = CreateControl(
        hwnd_, {L"EDIT", L"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, 80, 197, 180, 22, kSoundEdit}, f);
    CreateControl(hwnd_, {L"BUTTON", L"浏览…", WS_TABSTOP | BS_PUSHBUTTON, 264, 196, 56, 24, kBrowseButton}, f);
    CreateControl(hwnd_, {L"BUTTON", L"试听", WS_TABSTOP | BS_PUSHBUTTON, 264, 146, 56, 24, kPreviewButton}, f);
    CreateControl(hwnd_, {L"STATIC", L"稍后提醒：", SS_LEFT, 16, 233, 64, 16, 0}, f);
    snoozeEdit.Create(hwnd_, 80, 230, 49, 22, kSnoozeEdit, kSnoozeMin, kSnoozeMax, 10, f);
    CreateControl(hwnd_, {L"STATIC", L"分钟后", SS_LEFT, 133, 233, 50, 16, 0}, f);
    wakeBox =
        CreateControl(hwnd_, {L"BUTTON", L"唤醒电脑", WS_TABSTOP | BS_AUTOCHECKBOX, 200, 231, 100, 20, kWakeBox}, f);
    okButton = CreateControl(
        hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 150, 266, 80, 25, kOkButton}, f);
    cancelButton =
        CreateControl(hwnd_, {L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 240, 266, 80, 25, kCancelButton}, f);
}

std::optional<Alarm> AlarmEditor::Edit(const Alarm& alarm, long long today, HWND modalOver) {
    editing_ = alarm;
    result_.reset();
    hourEdit.SetValue(alarm.hour);
    minuteEdit.SetValue(alarm.minute);
    SendMessageW(repeatList, CB_SETCURSEL, RepeatItem(alarm.repeat), 0);
    const DateParts d = DecodeDate(static_cast<double>(alarm.date >= 0 ? alarm.date : today));
    SYSTEMTIME date{static_cast<WORD>(d.year), static_cast<WORD>(d.month), 0, static_cast<WORD>(d.day), 0, 0, 0, 0};
    SendMessageW(datePicker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
    for (int day = 0; day < 7; ++day)
        SetChecked(dayBoxes[day], (alarm.days >> day) & 1u);
    SetWindowTextW(labelEdit, GbkToWide(alarm.label).c_str());
    SetChecked(builtInSound, alarm.sound.empty());
    SetChecked(fileSound, !alarm.sound.empty());
    SetWindowTextW(soundEdit, GbkToWide(alarm.sound).c_str());
    snoozeEdit.SetValue(alarm.snooze);
    SetChecked(wakeBox, alarm.wake);
    ShowRepeatControls();
    CentreOnScreen(hwnd_);
    SetFocus(hourEdit.Edit());
    RunModal(modalOver);
    return result_;
}

void AlarmEditor::ShowRepeatControls() {
    const AlarmRepeat repeat = kRepeatOfItem[std::max<LRESULT>(0, SendMessageW(repeatList, CB_GETCURSEL, 0, 0))];
    ShowWindow(datePicker, repeat == AlarmRepeat::Once ? SW_SHOW : SW_HIDE);
    for (HWND box : dayBoxes)
        ShowWindow(box, repeat == AlarmRepeat::Days ? SW_SHOW : SW_HIDE);
}

Alarm AlarmEditor::Collect() const {
    Alarm alarm = editing_;
    alarm.hour = static_cast<int>(hourEdit.Value());
    alarm.minute = static_cast<int>(minuteEdit.Value());
    alarm.repeat = kRepeatOfItem[std::max<LRESULT>(0, SendMessageW(repeatList, CB_GETCURSEL, 0, 0))];
    alarm.date = -1;
    if (alarm.repeat == AlarmRepeat::Once) {
        SYSTEMTIME date{};
        if (SendMessageW(datePicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) == GDT_VALID &&
            IsValidDate(date.wYear, date.wMonth, date.wDay))
            alarm.date = static_cast<long long>(EncodeDate(date.wYear, date.wMonth, date.wDay));
    }
    alarm.days = 0;
    for (int d = 0; d < 7; ++d)
        if (IsChecked(dayBoxes[d]))
            alarm.days |= 1u << d;
    // Chosen weekdays with none chosen would never ring: every day then.
    if (alarm.repeat == AlarmRepeat::Days && !alarm.days)
        alarm.repeat = AlarmRepeat::Daily;
    std::string label = WideToGbk(WindowText(labelEdit));
    alarm.label = label.empty() ? kDefaultAlarmLabel : label;
    alarm.sound = IsChecked(fileSound) ? WideToGbk(WindowText(soundEdit)) : std::string();
    alarm.snooze = static_cast<int>(snoozeEdit.Value());
    alarm.wake = IsChecked(wakeBox);
    alarm.enabled = true;
    return alarm;
}

void AlarmEditor::Browse() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring current = WindowText(soundEdit);
    current.copy(path, std::min<size_t>(current.size(), MAX_PATH - 1));
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = hwnd_;
    open.lpstrFilter = L"声音文件 (*.wav)\0*.wav\0";
    open.lpstrFile = path;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open))
        return;
    SetWindowTextW(soundEdit, path);
    SetChecked(builtInSound, false);
    SetChecked(fileSound, true);
}

std::optional<LRESULT> AlarmEditor::HandleMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND)
        return std::nullopt;
    const int id = LOWORD(wParam);
    if (id == kRepeatList && HIWORD(wParam) == CBN_SELCHANGE) {
        ShowRepeatControls();
        return 0;
    }
    if (id == kSoundEdit && HIWORD(wParam) == EN_CHANGE && GetFocus() == soundEdit) {
        SetChecked(builtInSound, false);
        SetChecked(fileSound, true);
        return 0;
    }
    if (HIWORD(wParam) != BN_CLICKED)
        return 0;
    switch (id) {
    case kOkButton:
    case IDOK: // Enter
        hourEdit.Normalize();
        minuteEdit.Normalize();
        snoozeEdit.Normalize();
        result_ = Collect();
        EndModal();
        break;
    case kCancelButton:
    case IDCANCEL: // Esc
        EndModal();
        break;
    case kBrowseButton:
        Browse();
        break;
    case kPreviewButton:
        preview_(IsChecked(fileSound) ? WideToGbk(WindowText(soundEdit)) : std::string());
        break;
    default:
        break;
    }
    return 0;
}

AlarmListDialog::AlarmListDialog(HWND owner, ErrorReporter& reporter, const WorkingDays& days,
                                 std::function<void(std::vector<Alarm>)> accept,
                                 std::function<void(const std::string&)> preview)
    : BaseWindow(reporter), days_(days), accept_(std::move(accept)), editor_(owner, reporter, std::move(preview)) {
    EnsureCommonControls();
    CreateHandle(kExStyle, kStyle, DialogBounds(460, 280, kStyle, kExStyle), owner, L"闹钟");
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    list = CreateControl(hwnd_,
                         {WC_LISTVIEWW, L"", WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                          12, 12, 436, 216, kList},
                         f);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const std::pair<const wchar_t*, int> columns[] = {{L"时间", 70}, {L"重复", 230}, {L"标签", 130}};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(columns[i].first);
        column.cx = columns[i].second;
        ListView_InsertColumn(list, i, &column);
    }
    newButton = CreateControl(
        hwnd_, {L"BUTTON", L"新建", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 12, 242, 70, 25, kNewButton}, f);
    editButton =
        CreateControl(hwnd_, {L"BUTTON", L"编辑", WS_TABSTOP | BS_PUSHBUTTON, 88, 242, 70, 25, kEditButton}, f);
    deleteButton =
        CreateControl(hwnd_, {L"BUTTON", L"删除", WS_TABSTOP | BS_PUSHBUTTON, 164, 242, 70, 25, kDeleteButton}, f);
    okButton = CreateControl(hwnd_, {L"BUTTON", L"确定", WS_TABSTOP | BS_PUSHBUTTON, 298, 242, 70, 25, kOkButton}, f);
    cancelButton =
        CreateControl(hwnd_, {L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 378, 242, 70, 25, kCancelButton}, f);
}

void AlarmListDialog::ShowModal(HWND modalOver, std::vector<Alarm> alarms, double now) {
    alarms_ = std::move(alarms);
    now_ = now;
    Fill();
    CentreOnScreen(hwnd_);
    SetFocus(list);
    RunModal(modalOver);
}

std::wstring AlarmListDialog::RowText(const Alarm& alarm) const {
    std::wstring repeat = Utf8ToWide(RepeatWords(alarm));
    const std::string note = UnknownYearNote(alarm, MinuteNumber(now_), days_);
    if (!note.empty())
        repeat += L"（" + Utf8ToWide(note) + L"）";
    return Utf8ToWide(AlarmTimeText(alarm.hour, alarm.minute)) + L"\t" + repeat + L"\t" + GbkToWide(alarm.label);
}

void AlarmListDialog::Fill() {
    filling_ = true;
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < alarms_.size(); ++i) {
        std::wstring row = RowText(alarms_[i]);
        std::vector<std::wstring> cells;
        for (size_t start = 0;;) {
            const size_t tab = row.find(L'\t', start);
            cells.push_back(row.substr(start, tab - start));
            if (tab == std::wstring::npos)
                break;
            start = tab + 1;
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = cells[0].data();
        ListView_InsertItem(list, &item);
        for (int c = 1; c < static_cast<int>(cells.size()); ++c)
            ListView_SetItemText(list, static_cast<int>(i), c, cells[c].data());
        ListView_SetCheckState(list, static_cast<int>(i), alarms_[i].enabled);
    }
    filling_ = false;
    EnableWindow(newButton, alarms_.size() < kMaxAlarms);
}

int AlarmListDialog::Selected() const {
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

void AlarmListDialog::NewAlarm() {
    if (alarms_.size() >= kMaxAlarms)
        return;
    Alarm fresh;
    const long long nowMinute = MinuteNumber(now_);
    // Proposed: a once alarm at the next whole minute, dated the day it comes.
    const long long proposed = nowMinute + 1;
    fresh.hour = static_cast<int>(proposed % 1440) / 60;
    fresh.minute = static_cast<int>(proposed % 1440) % 60;
    if (std::optional<Alarm> made = editor_.Edit(fresh, proposed / 1440, hwnd_)) {
        alarms_.push_back(*made);
        Fill();
    }
}

void AlarmListDialog::EditAlarm(int index) {
    if (index < 0 || index >= static_cast<int>(alarms_.size()))
        return;
    if (std::optional<Alarm> changed = editor_.Edit(alarms_[index], MinuteNumber(now_) / 1440, hwnd_)) {
        alarms_[index] = *changed;
        Fill();
    }
}

void AlarmListDialog::DeleteAlarm(int index) {
    if (index < 0 || index >= static_cast<int>(alarms_.size()))
        return;
    alarms_.erase(alarms_.begin() + index);
    Fill();
}

void AlarmListDialog::Accept() {
    accept_(alarms_);
    EndModal();
}

std::optional<LRESULT> AlarmListDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        // The caption, then each row: time, repeat, label and 开 or 关.
        std::wstring shown = L"闹钟";
        for (const Alarm& alarm : alarms_) {
            std::wstring row = RowText(alarm);
            for (wchar_t& c : row)
                if (c == L'\t')
                    c = L' ';
            shown += L"\r\n" + row + (alarm.enabled ? L" 开" : L" 关");
        }
        return AnswerGetText(shown, msg, wParam, lParam);
    }
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom != list)
            return std::nullopt;
        if (header.code == LVN_ITEMCHANGED && !filling_) {
            const NMLISTVIEW& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change.uChanged & LVIF_STATE) && change.iItem >= 0 && change.iItem < static_cast<int>(alarms_.size()))
                alarms_[change.iItem].enabled = ListView_GetCheckState(list, change.iItem) != 0;
        } else if (header.code == NM_DBLCLK) {
            EditAlarm(Selected());
        }
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return 0;
        switch (LOWORD(wParam)) {
        case kNewButton:
            NewAlarm();
            break;
        case kEditButton:
            EditAlarm(Selected());
            break;
        case kDeleteButton:
            DeleteAlarm(Selected());
            break;
        case kOkButton:
            Accept();
            break;
        case kCancelButton:
        case IDCANCEL: // Esc
            EndModal();
            break;
        default:
            break;
        }
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace vemora
