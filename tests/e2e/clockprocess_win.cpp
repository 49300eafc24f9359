#include "clockprocess.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace vemora::e2e {

std::wstring& ExePath() {
    static std::wstring path;
    return path;
}

ClockProcess::ClockProcess(const test::TempFolder& folder) {
    const std::wstring exe = folder.File(L"Vemora.exe");
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES && !CopyFileW(ExePath().c_str(), exe.c_str(), FALSE))
        throw std::runtime_error("cannot copy Vemora.exe");
    // No test asks the public holiday data set: without a HolidayApi of its
    // own, the clock asks a port where nobody listens.
    const std::wstring ini = folder.File(L"clockset.ini");
    wchar_t api[8] = {};
    if (!GetPrivateProfileStringW(L"Option", L"HolidayApi", L"", api, 8, ini.c_str()))
        WritePrivateProfileStringW(L"Option", L"HolidayApi", L"http://127.0.0.1:9", ini.c_str());
    STARTUPINFOW startup{sizeof startup};
    std::wstring command = L"\"" + exe + L"\"";
    // Under Wine a start has failed now and then, before the program ran a
    // line of its own, while other processes were starting: it is tried
    // again, and the error is printed either way.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
                           &startup, &info_))
            return;
        const DWORD error = GetLastError();
        if (attempt == 3)
            throw std::runtime_error("cannot start Vemora.exe: error " + std::to_string(error));
        std::fprintf(stderr, "starting Vemora.exe failed with error %lu, trying again\n", error);
        Sleep(500);
    }
}

ClockProcess::~ClockProcess() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ClockProcess::Running() const {
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ClockProcess::WaitForExit(int timeoutMs) const {
    return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindows(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (pid == s->pid && wcscmp(name, s->cls) == 0)
        s->found.push_back(w);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* cls) {
    WindowSearch search{pid, cls, {}};
    EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

HWND ClockProcess::FindWindowOfClass(const wchar_t* className) const {
    auto found = WindowsOf(info_.dwProcessId, className);
    return found.empty() ? nullptr : found.front();
}

HWND ClockProcess::WaitForWindow(const wchar_t* className, int timeoutMs) const {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (GetTickCount64() < end) {
        if (HWND w = FindWindowOfClass(className))
            return w;
        if (!Running())
            return nullptr;
        Sleep(50);
    }
    return nullptr;
}

std::vector<std::wstring> ClockProcess::MessageBoxTexts() const {
    std::vector<std::wstring> texts;
    for (HWND box : WindowsOf(info_.dwProcessId, L"#32770")) {
        if (!IsWindowVisible(box))
            continue;
        // The message is the static control with id 0xFFFF.
        HWND text = GetDlgItem(box, 0xFFFF);
        wchar_t buffer[2048] = {};
        if (text)
            GetWindowTextW(text, buffer, 2048);
        texts.push_back(buffer);
    }
    return texts;
}

void ClockProcess::AnswerMessageBoxes(int command) const {
    for (HWND box : WindowsOf(info_.dwProcessId, L"#32770"))
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

} // namespace vemora::e2e
