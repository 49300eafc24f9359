#include "base/files_win.h"

#include "base/handles_win.h"

namespace vemora {

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".new";
    {
        UniqueKernelHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return false;
        FlushFileBuffers(file.get());
    }
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path, std::size_t maxBytes) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(maxBytes))
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

// This install's number for its refresh minute: the settings file's full path,
// which differs from one install to the next and stays while it stays.
std::uint64_t InstallSeed(const std::wstring& settingsPath) {
    std::wstring full(MAX_PATH * 4, L'\0');
    const DWORD length = GetFullPathNameW(settingsPath.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length > 0 && length < full.size() ? length : 0);
    if (full.empty())
        full = settingsPath;
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (wchar_t c : full) {
        hash ^= static_cast<std::uint64_t>(towlower(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace vemora
