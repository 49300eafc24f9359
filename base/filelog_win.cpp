#include "base/filelog_win.h"

#include "base/handles_win.h"
#include "base/platform_win.h"

#include <shlobj.h>

namespace vemora {

namespace {

UniqueKernelHandle OpenForAppending(const std::wstring& path) {
    HANDLE raw = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
}

std::wstring LocalAppDataFolder() {
    PWSTR raw = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &raw)) && raw)
        folder = std::wstring(raw) + L"\\Vemora\\";
    CoTaskMemFree(raw);
    return folder;
}

std::wstring WithSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

} // namespace

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

FileLog::FileLog(const std::wstring& folder, std::wstring fallbackFolder) {
    if (fallbackFolder.empty())
        fallbackFolder = LocalAppDataFolder();
    for (const std::wstring& candidate : {WithSeparator(folder), WithSeparator(fallbackFolder)}) {
        if (candidate.empty())
            continue;
        CreateDirectoryW(candidate.c_str(), nullptr); // the fallback may not exist yet
        if (OpenForAppending(candidate + kLogFileName)) {
            path_ = candidate + kLogFileName;
            return;
        }
    }
}

void FileLog::Write(std::string_view part, std::string_view message) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string line = FormatLogLine(DateTimeParts{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                                         now.wSecond, now.wMilliseconds, now.wDayOfWeek},
                                           part, message);
    const std::lock_guard lock(mutex_);
    if (path_.empty())
        return;
    UniqueKernelHandle file = OpenForAppending(path_);
    LARGE_INTEGER size{};
    if (file && GetFileSizeEx(file.get(), &size) &&
        LogNeedsRollover(static_cast<std::uint64_t>(size.QuadPart), line.size())) {
        file.reset();
        const std::wstring older = FolderOf(path_) + kOlderLogFileName;
        MoveFileExW(path_.c_str(), older.c_str(), MOVEFILE_REPLACE_EXISTING);
        file = OpenForAppending(path_);
    }
    DWORD written = 0;
    if (file)
        WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace vemora
