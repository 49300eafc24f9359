#pragma once
// The real Vemora.exe, started under Wine in a folder of its own.
#include "harness.h"

#include <string>

namespace vemora::e2e {

// Set by main from the command line: the Vemora.exe under test.
std::wstring& ExePath();

class ClockProcess {
public:
    // Copies the executable into the folder, unless it is there already, and
    // starts it there.
    explicit ClockProcess(const test::TempFolder& folder);
    ~ClockProcess();
    ClockProcess(const ClockProcess&) = delete;
    ClockProcess& operator=(const ClockProcess&) = delete;

    // A visible-or-hidden top-level window of this process with that class.
    HWND WaitForWindow(const wchar_t* className, int timeoutMs = 15000) const;
    HWND FindWindowOfClass(const wchar_t* className) const;
    // Error message boxes ("#32770" dialogs) of the process, with their texts.
    std::vector<std::wstring> MessageBoxTexts() const;
    void DismissMessageBoxes() const { AnswerMessageBoxes(IDOK); }
    // Presses the button with that command in every message box of the process.
    void AnswerMessageBoxes(int command) const;
    bool WaitForExit(int timeoutMs) const;
    bool Running() const;
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_{};
};

} // namespace vemora::e2e
