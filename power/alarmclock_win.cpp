#include "power/alarmclock_win.h"

#include "base/controls_win.h"
#include "base/datetime.h"
#include "base/text_win.h"

#include <mmsystem.h>

#include <cmath>
#include <stdexcept>

namespace vemora {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
constexpr int kWidth = 280, kLineHeight = 18;
// The sound stops after this long; the window stays until a button.
constexpr long long kSoundingMs = 2 * 60 * 1000;

// Whole milliseconds of a date-time: day counts carry a little error.
long long Ms(double dateTime) {
    return std::llround(dateTime * kMsPerDay);
}

std::wstring EntryLine(const RingingAlarm& entry) {
    return GbkToWide(entry.label) + L"  " + Utf8ToWide(AlarmTimeText(entry.hour, entry.minute)) +
           (entry.missed ? L"（已错过）" : L"");
}

} // namespace

AlarmWindow::AlarmWindow(HWND owner, ErrorReporter& reporter, std::function<void()> snooze, std::function<void()> close)
    : BaseWindow(reporter), snooze_(std::move(snooze)), close_(std::move(close)) {
    CreateHandle(kExStyle, kStyle, DialogBounds(kWidth, 80, kStyle, kExStyle), owner, L"闹钟");
    font_ = CreateDialogFont();
    HFONT f = font_.get();
    text = CreateControl(hwnd_, {L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 12, 10, kWidth - 24, kLineHeight, 0}, f);
    snoozeButton =
        CreateControl(hwnd_, {L"BUTTON", L"稍后提醒", BS_PUSHBUTTON, kWidth - 172, 46, 75, 25, kSnoozeButton}, f);
    closeButton = CreateControl(hwnd_, {L"BUTTON", L"关闭", BS_PUSHBUTTON, kWidth - 87, 46, 75, 25, kCloseButton}, f);
}

std::wstring AlarmWindow::ShownText() const {
    std::wstring shown;
    for (const RingingAlarm& entry : entries_)
        shown += (shown.empty() ? L"" : L"\r\n") + EntryLine(entry);
    return shown;
}

void AlarmWindow::Show(const std::vector<RingingAlarm>& entries) {
    entries_.insert(entries_.end(), entries.begin(), entries.end());
    const int lines = static_cast<int>(entries_.size());
    const int textHeight = lines * kLineHeight;
    const int height = 10 + textHeight + 10 + 25 + 10;
    MoveWindow(text, 12, 10, kWidth - 24, textHeight, TRUE);
    MoveWindow(snoozeButton, kWidth - 172, 20 + textHeight, 75, 25, TRUE);
    MoveWindow(closeButton, kWidth - 87, 20 + textHeight, 75, 25, TRUE);
    SetWindowTextW(text, ShownText().c_str());
    bool anyRinging = false;
    for (const RingingAlarm& entry : entries_)
        anyRinging = anyRinging || !entry.missed;
    EnableWindow(snoozeButton, anyRinging);
    // The bottom right corner of the work area, above every window, full-screen ones included.
    const RECT bounds = DialogBounds(kWidth, height, kStyle, kExStyle);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(hwnd_, HWND_TOPMOST, work.right - bounds.right - 8, work.bottom - bounds.bottom - 8, bounds.right,
                 bounds.bottom, SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void AlarmWindow::Hide() {
    entries_.clear();
    ShowWindow(hwnd_, SW_HIDE);
}

std::optional<LRESULT> AlarmWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return AnswerGetText(ShownText(), msg, wParam, lParam);
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == kSnoozeButton)
                snooze_();
            else if (LOWORD(wParam) == kCloseButton)
                close_();
        }
        return 0;
    default:
        return std::nullopt;
    }
}

AlarmClock::AlarmClock(HWND owner, Effects& effects, ErrorReporter& reporter, const WorkingDays& days,
                       std::function<void(const std::vector<Alarm>&)> save, const void* builtInRing)
    : owner_(owner), effects_(effects), reporter_(reporter), days_(days), save_(std::move(save)),
      builtInRing_(builtInRing) {}

AlarmClock::~AlarmClock() {
    if (sounding_)
        StopSound();
}

void AlarmClock::Load(LoadedAlarms loaded) {
    alarms_ = std::move(loaded.alarms);
    problems_ = std::move(loaded.problems);
    watches_.assign(alarms_.size(), AlarmWatch{});
    wakeMinute_ = wakeCheckedMinute_ = -1;
}

void AlarmClock::ReportProblems(HWND owner) {
    if (problems_.empty())
        return;
    std::string text = "clockset.ini 中的闹钟设置有误：";
    for (const std::string& problem : problems_)
        text += "\n" + problem;
    problems_.clear();
    reporter_.Report(owner, std::make_exception_ptr(std::runtime_error(text)));
}

void AlarmClock::Replace(std::vector<Alarm> alarms) {
    alarms_ = std::move(alarms);
    watches_.assign(alarms_.size(), AlarmWatch{});
    wakeMinute_ = wakeCheckedMinute_ = -1;
    Store();
    if (lastNow_ > 0)
        SetWakeTimer(lastNow_);
}

void AlarmClock::Store() {
    save_(alarms_);
}

void AlarmClock::Tick(double now) {
    lastNow_ = now;
    std::vector<RingingAlarm> due;
    bool rungOnce = false;
    for (size_t i = 0; i < alarms_.size(); ++i) {
        Alarm& alarm = alarms_[i];
        const AlarmVerdict verdict = CheckAlarm(alarm, days_, watches_[i], now);
        if (verdict.call == AlarmCall::None)
            continue;
        due.push_back(
            {alarm.label, alarm.hour, alarm.minute, alarm.snooze, alarm.sound, verdict.call == AlarmCall::Missed});
        // A once alarm is done with once it has rung or was missed.
        if (alarm.repeat == AlarmRepeat::Once) {
            alarm.enabled = false;
            rungOnce = true;
            wakeCheckedMinute_ = -1;
        }
    }
    for (auto it = snoozed_.begin(); it != snoozed_.end();)
        if (Ms(now) >= Ms(it->due)) {
            due.push_back(it->alarm);
            it = snoozed_.erase(it);
        } else {
            ++it;
        }
    if (!due.empty())
        Ring(std::move(due), now);
    if (sounding_ && Ms(now) - Ms(soundingSince_) >= kSoundingMs)
        StopSound();
    SetWakeTimer(now);
    if (rungOnce)
        Store();
}

void AlarmClock::Ring(std::vector<RingingAlarm> entries, double now) {
    if (!window_)
        window_ = std::make_unique<AlarmWindow>(
            owner_, reporter_, [this] { Snooze(); }, [this] { Dismiss(); });
    window_->Show(entries);
    const RingingAlarm* ringing = nullptr;
    for (const RingingAlarm& entry : entries)
        if (!entry.missed && !ringing)
            ringing = &entry;
    if (!ringing)
        return;
    // The sound loops until a button or its two minutes; a newer alarm starts it again.
    soundPath_ = GbkToWide(ringing->sound);
    if (!soundPath_.empty() && GetFileAttributesW(soundPath_.c_str()) != INVALID_FILE_ATTRIBUTES)
        effects_.PlaySoundMemory(soundPath_.c_str(), SND_ASYNC | SND_LOOP | SND_NODEFAULT);
    else
        effects_.PlaySoundMemory(builtInRing_, SND_ASYNC | SND_MEMORY | SND_LOOP | SND_NODEFAULT);
    sounding_ = true;
    soundingSince_ = now;
}

void AlarmClock::StopSound() {
    effects_.PlaySoundMemory(nullptr, 0);
    sounding_ = false;
}

void AlarmClock::Preview(const std::string& sound) {
    soundPath_ = GbkToWide(sound);
    if (!soundPath_.empty() && GetFileAttributesW(soundPath_.c_str()) != INVALID_FILE_ATTRIBUTES)
        effects_.PlaySoundMemory(soundPath_.c_str(), SND_ASYNC | SND_NODEFAULT);
    else
        effects_.PlaySoundMemory(builtInRing_, SND_ASYNC | SND_MEMORY | SND_NODEFAULT);
}

void AlarmClock::Snooze() {
    for (const RingingAlarm& entry : window_->Entries())
        if (!entry.missed)
            snoozed_.push_back({entry, lastNow_ + entry.snooze / 1440.0});
    Dismiss();
}

void AlarmClock::Dismiss() {
    window_->Hide();
    if (sounding_)
        StopSound();
}

std::wstring AlarmClock::NextAlarmLine(double now) const {
    const long long minute = MinuteNumber(now);
    const std::optional<NextAlarm> next = FindNextAlarm(alarms_, minute, days_);
    if (!next)
        return {};
    return L"下一个闹钟：" + Utf8ToWide(RingWhenWords(minute, next->minute)) + L" " +
           GbkToWide(alarms_[next->index].label);
}

// The next alarm that wakes the computer, set once a minute on a waitable
// timer that resumes the system; where Windows refuses resume, the timer
// still stands and the alarm rings when the computer wakes.
void AlarmClock::SetWakeTimer(double now) {
    // The next wake-up changes with the minute or the alarms, not with the second.
    const long long nowMinute = MinuteNumber(now);
    if (nowMinute == wakeCheckedMinute_)
        return;
    wakeCheckedMinute_ = nowMinute;
    std::vector<Alarm> waking;
    for (const Alarm& alarm : alarms_)
        if (alarm.wake)
            waking.push_back(alarm);
    const std::optional<NextAlarm> next = FindNextAlarm(waking, nowMinute, days_);
    const long long minute = next ? next->minute : -1;
    if (minute == wakeMinute_)
        return;
    wakeMinute_ = minute;
    if (!next) {
        if (wakeTimer_)
            CancelWaitableTimer(wakeTimer_.get());
        return;
    }
    if (!wakeTimer_)
        wakeTimer_.reset(CreateWaitableTimerW(nullptr, TRUE, nullptr));
    if (!wakeTimer_)
        return;
    const DateTimeParts t = DecodeDateTime(static_cast<double>(minute) / 1440);
    SYSTEMTIME local{static_cast<WORD>(t.year), static_cast<WORD>(t.month),  0, static_cast<WORD>(t.day),
                     static_cast<WORD>(t.hour), static_cast<WORD>(t.minute), 0, 0};
    SYSTEMTIME utc{};
    FILETIME due{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &due))
        return;
    LARGE_INTEGER when{};
    when.LowPart = due.dwLowDateTime;
    when.HighPart = static_cast<LONG>(due.dwHighDateTime);
    SetWaitableTimer(wakeTimer_.get(), &when, 0, nullptr, nullptr, TRUE);
}

} // namespace vemora
