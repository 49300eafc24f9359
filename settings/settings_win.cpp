#include "settings/settings_win.h"

#include "base/handles_win.h"
#include "base/module_win.h"
#include "base/platform_win.h"
#include "base/text_win.h"

#include <stdexcept>

namespace vemora {

namespace {

// A settings file is a few kilobytes; anything past this is no settings file.
constexpr DWORD kMaxSettingsBytes = 4u << 20;

[[noreturn]] void FileFailed(const char* what, const std::wstring& path) {
    throw std::runtime_error(std::string(what) + " " + WideToUtf8(path) + " (" + std::to_string(GetLastError()) + ")");
}

std::string Utf8ToGbkText(std::string_view utf8) {
    return WideToGbk(Utf8ToWide(utf8));
}

std::string GbkToUtf8Text(std::string_view gbk) {
    return WideToUtf8(GbkToWide(gbk));
}

} // namespace

IniDocument ReadSettingsDocument(const std::wstring& path) {
    HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return IniDocument();
        FileFailed("Unable to read", path);
    }
    UniqueKernelHandle in(raw);
    std::string bytes;
    char chunk[16384];
    DWORD got = 0;
    while (ReadFile(in.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
        if (bytes.size() > kMaxSettingsBytes)
            throw std::runtime_error("Settings file too large: " + WideToUtf8(path));
    }
    return IniDocument::Parse(bytes, {Utf8ToGbkText, GbkToUtf8Text});
}

void WriteSettingsDocument(const std::wstring& path, const IniDocument& document) {
    const std::string bytes = document.Serialize();
    const std::wstring temporary = path + L".new";
    {
        HANDLE raw =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE)
            FileFailed("Unable to write to", temporary);
        UniqueKernelHandle out(raw);
        DWORD written = 0;
        const bool ok = WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(out.get());
        if (!ok) {
            const DWORD code = GetLastError();
            out.reset();
            DeleteFileW(temporary.c_str());
            SetLastError(code);
            FileFailed("Unable to write to", temporary);
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temporary.c_str());
        SetLastError(code);
        FileFailed("Unable to write to", path);
    }
}

void WriteSettingsFile(const std::wstring& path, const Settings& settings) {
    IniDocument document = ReadSettingsDocument(path);
    IniDocumentStore store(document);
    SaveSettings(store, settings);
    WriteSettingsDocument(path, document);
}

std::wstring DefaultSettingsPath() {
    std::wstring path = ModulePath();
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"clockset.ini";
}

} // namespace vemora
