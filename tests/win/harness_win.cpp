#include "harness.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vemora::test {

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"vemora-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

namespace {
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}
} // namespace

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string IniValue(const std::wstring& path, const char* key) {
    wchar_t buffer[4096] = {};
    GetPrivateProfileStringW(L"Option", Utf8ToWide(key).c_str(), L"<missing>", buffer, 4096, path.c_str());
    return WideToGbk(buffer);
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{sizeof counters};
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

int SystemHandleCount(DWORD processId) {
    // SYSTEM_HANDLE_INFORMATION (class 16): a count, then one entry per handle.
    struct Entry {
        ULONG processId;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) { // too small
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0)
            return -1;
        break;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    int n = 0;
    for (ULONG i = 0; i < count; ++i)
        n += entries[i].processId == processId;
    return n;
}

int ThreadCount(DWORD processId) {
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{sizeof entry};
    int n = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        n += entry.th32OwnerProcessID == processId;
    return n;
}

void Pump(int milliseconds) {
    PumpLongestMs(milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!done()) {
        if (GetTickCount64() >= end)
            return false;
        Pump(5);
    }
    return true;
}

double PumpLongestMs(int milliseconds) {
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    double longest = 0;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            QueryPerformanceCounter(&before);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            QueryPerformanceCounter(&after);
            longest = std::max(longest, 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                                            static_cast<double>(frequency.QuadPart));
        }
        Sleep(1);
    } while (GetTickCount64() < end);
    return longest;
}

ClockWindow& ClockFixture::CreateSettled(const std::string& options) {
    WriteIni("[Option]\r\n" + options);
    Create(true);
    SettleWorkers();
    return *main;
}

void ClockFixture::SettleWorkers() {
    ASSERT_TRUE(PumpUntil([&] { return !main->WorkersRunning(); }));
}

ClockWindow& ClockFixture::Create(bool show) {
    MainOptions options;
    options.settingsPath = IniPath();
    if (!systemClock)
        options.clock = fakeClock.Function();
    options.resumeRefreshDelayMs = resumeRefreshDelayMs;
    options.timeFormat = timeFormat;
    options.realMs = realMs;
    options.awakeMs = awakeMs;
    options.exePath = folder.File(L"Vemora.exe");
    options.holidaysPath = folder.File(L"holidays.txt");
    options.runKey = runKey;
    options.approvedKey = approvedKey;
    options.unixClock = unixClock;
    if (eventLog)
        options.log = std::shared_ptr<EventLog>(eventLog, [](EventLog*) {}); // the test's own, not owned here
    // No test asks the public holiday data set: without a HolidayApi of its
    // own, a clock asks a port where nobody listens.
    options.holidayApi = "http://127.0.0.1:9";
    main = std::make_unique<ClockWindow>(effects, reporter, options);
    effects.armed = [this] { return main->RunState().armed; };
    main->CreateCompanions();
    if (show)
        main->Show();
    return *main;
}

void ClockFixture::TearDown() {
    main.reset();
    Pump(10);
}

} // namespace vemora::test

namespace vemora::test {

void SavePng(const std::wstring& path, const std::uint32_t* pixels, int width, int height, std::uint32_t background) {
    std::vector<std::uint32_t> out(pixels, pixels + width * height);
    if (background) {
        for (std::uint32_t& p : out) {
            const unsigned a = p >> 24;
            auto mix = [&](int shift) {
                const unsigned src = (p >> shift) & 0xFF, bg = (background >> shift) & 0xFF;
                return std::min(255u, src + bg * (255 - a) / 255) << shift;
            };
            p = 0xFF000000u | mix(16) | mix(8) | mix(0);
        }
    }
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(out.data()));
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    bitmap.Save(path.c_str(), &png, nullptr);
}

std::wstring SnapshotFolder() {
    wchar_t buffer[MAX_PATH] = {};
    return GetEnvironmentVariableW(L"VEMORA_SNAPSHOTS", buffer, MAX_PATH) ? std::wstring(buffer) : std::wstring();
}

} // namespace vemora::test

namespace vemora::test {

HWND FindOwnWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* cls;
        HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t name[64] = {};
            GetClassNameW(w, name, 64);
            if (wcscmp(name, s->cls) == 0) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace vemora::test
