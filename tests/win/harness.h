#pragma once
// What the Windows tests share: recording effects, a clock window in a
// temporary folder, a fake clock, and message pumping.
#include "app/clockwindow_win.h"
#include "base/text_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace vemora::test {

// Seconds gone since a moment.
inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct RecordingEffects : Effects {
    std::vector<std::wstring> errors;
    std::vector<UINT> exitFlags;
    std::vector<SYSTEMTIME> clockSets;
    std::vector<const void*> sounds;
    std::vector<std::wstring> urls;

    void ShowError(HWND, const std::wstring&, const std::wstring& text) override { errors.push_back(text); }
    std::vector<std::wstring> questions;
    bool answer = false; // 否 unless a test says 是
    bool AskYesNo(HWND, const std::wstring&, const std::wstring& text) override {
        questions.push_back(text);
        return answer;
    }
    std::vector<bool> armedAtAction; // the kMenuTimedAction mark when an action was carried out
    std::function<bool()> armed;     // that mark, as the clock holds it
    BOOL ExitSystem(UINT flags, DWORD) override {
        exitFlags.push_back(flags);
        armedAtAction.push_back(armed && armed());
        return TRUE;
    }
    // The system's clock when the program asked to set it; refuseClockWith
    // makes the request fail with that error, as for a standard user.
    std::vector<unsigned long long> clockSetAt;
    DWORD refuseClockWith = 0;
    BOOL SetSystemClock(const SYSTEMTIME& utc) override {
        FILETIME now;
        GetSystemTimePreciseAsFileTime(&now);
        clockSetAt.push_back(static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime);
        clockSets.push_back(utc);
        SetLastError(refuseClockWith);
        return refuseClockWith == 0;
    }
    std::vector<UINT> soundFlags;
    void PlaySoundMemory(const void* wave, UINT flags) override {
        sounds.push_back(wave);
        soundFlags.push_back(flags);
        armedAtAction.push_back(armed && armed());
    }
    void OpenUrl(const std::wstring& url) override { urls.push_back(url); }
};

// A folder of its own under the temporary directory, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
std::string IniValue(const std::wstring& path, const char* key);
// Runs the message loop for the given time.
void Pump(int milliseconds);
// Runs the message loop until done() holds or the time is up; whether it holds.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 15000);
// Runs the message loop for the given time and gives the longest the thread
// spent away from it in one go (one message's handling), in milliseconds.
double PumpLongestMs(int milliseconds);
// The window's screen rectangle.
RECT WindowRect(HWND window);
// The process's private bytes.
size_t PrivateBytes();
// The kernel handles a process holds, as the system's handle table lists them
// (Wine answers GetProcessHandleCount with 0), and its threads.
int SystemHandleCount(DWORD processId);
int ThreadCount(DWORD processId);

// A settable clock for the tick.
struct FakeClock {
    DateTimeParts now{2026, 12, 7, 10, 59, 59, 0, 1};
    std::function<DateTimeParts()> Function() {
        return [this] { return now; };
    }
    void Set(int h, int m, int s) {
        now.hour = h;
        now.minute = m;
        now.second = s;
    }
};

// A clock window with its companions, as the program makes them, in a folder
// with its own clockset.ini.
struct ClockFixture : ::testing::Test {
    RecordingEffects effects;
    ErrorReporter reporter{effects, L"Vemora"};
    TempFolder folder;
    FakeClock fakeClock;
    bool systemClock = false; // the real local time instead of the fake clock
    int resumeRefreshDelayMs = 100;
    std::optional<TimeFormat> timeFormat;
    std::function<long long()> realMs, awakeMs; // the counts the clock reads; empty: the system's
    std::unique_ptr<ClockWindow> main;
    std::string runKey;      // autostart's key under HKCU; empty: the system's
    std::string approvedKey; // the start-up manager's switches under HKCU; empty: the system's
    // Unix seconds for the forecast; empty: the system's.
    std::function<std::int64_t()> unixClock;
    EventLog* eventLog = nullptr; // where the clock writes its background failures; none: nowhere

    // Changes the clock's settings as the settings dialog hands them over,
    // with nothing drawn: the next tick shows them.
    void Edit(const std::function<void(Settings&)>& edit) {
        Settings changed = main->CurrentSettings();
        edit(changed);
        main->ChangeSettings(changed, SettingsChange::Kept);
    }
    void TearDown() override;
    std::wstring IniPath() const { return folder.File(L"clockset.ini"); }
    void WriteIni(const std::string& text) { WriteFileBytes(IniPath(), text); }
    ClockWindow& Create(bool show = false);
    // Created shown from these option lines, once the downloads it started
    // have been drawn or dropped.
    ClockWindow& CreateSettled(const std::string& options);
    void SettleWorkers();
};

} // namespace vemora::test

namespace vemora::test {
// Writes premultiplied ARGB pixels as a PNG, composited over an opaque
// background colour when one is given (0 keeps the alpha).
void SavePng(const std::wstring& path, const std::uint32_t* pixels, int width, int height,
             std::uint32_t background = 0);
// The folder named by VEMORA_SNAPSHOTS, empty when unset.
std::wstring SnapshotFolder();
} // namespace vemora::test

namespace vemora::test {
// A top-level window of this test's own thread with the given class: other
// processes under the same Wine server (a parallel test, the end-to-end run)
// have windows of the same classes.
HWND FindOwnWindow(const wchar_t* className);
} // namespace vemora::test
