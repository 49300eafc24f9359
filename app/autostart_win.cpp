#include "app/autostart_win.h"

#include "app/autostart.h"
#include "base/handles_win.h"
#include "base/text_win.h"

#include <stdexcept>

namespace vemora {

AutostartEntry::AutostartEntry(std::wstring exePath, std::string runKey, std::string approvedKey)
    : exePath_(std::move(exePath)), runKey_(runKey.empty() ? kRunKey : std::move(runKey)),
      approvedKey_(approvedKey.empty() ? kStartupApprovedKey : std::move(approvedKey)) {}

void AutostartEntry::Read() {
    on_ = false;
    const std::wstring valueName = Utf8ToWide(kRunValueName);
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(runKey_).c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return;
    UniqueHkey run(raw);
    wchar_t data[2048] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(run.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return;
    if (!RunCommandNamesExe(WideToUtf8(data), WideToUtf8(exePath_)))
        return;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(approvedKey_).c_str(), 0, KEY_QUERY_VALUE, &raw) == ERROR_SUCCESS) {
        UniqueHkey approved(raw);
        // The value's size is asked first: a value of any length is read whole.
        DWORD stateSize = 0;
        if (RegQueryValueExW(approved.get(), valueName.c_str(), nullptr, nullptr, nullptr, &stateSize) ==
                ERROR_SUCCESS &&
            stateSize > 0) {
            std::string state(stateSize, '\0');
            if (RegQueryValueExW(approved.get(), valueName.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(state.data()), &stateSize) == ERROR_SUCCESS &&
                StartupApprovedDisabled(state.substr(0, stateSize)))
                return;
        }
    }
    on_ = true;
}

void AutostartEntry::Set(bool on) {
    const std::wstring valueName = Utf8ToWide(kRunValueName);
    HKEY raw = nullptr;
    const LONG opened = RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(runKey_).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                        nullptr, &raw, nullptr);
    UniqueHkey run(opened == ERROR_SUCCESS ? raw : nullptr);
    if (on) {
        const std::wstring command = Utf8ToWide(QuotedRunCommand(WideToUtf8(exePath_)));
        if (!run ||
            RegSetValueExW(run.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            throw std::runtime_error("Failed to set data for '" + std::string(kRunValueName) + "'");
        HKEY approvedRaw = nullptr;
        const bool approved = RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(approvedKey_).c_str(), 0, nullptr, 0,
                                              KEY_SET_VALUE, nullptr, &approvedRaw, nullptr) == ERROR_SUCCESS &&
                              RegSetValueExW(UniqueHkey(approvedRaw).get(), valueName.c_str(), 0, REG_BINARY,
                                             kStartupApprovedEnabled, sizeof kStartupApprovedEnabled) == ERROR_SUCCESS;
        if (!approved) {
            RegDeleteValueW(run.get(), valueName.c_str());
            throw std::runtime_error("开机启动未能打开：Windows 的启动项管理拒绝了“" + std::string(kRunValueName) +
                                     "”的启用标记，Windows 不会启动它。");
        }
    } else if (run) {
        RegDeleteValueW(run.get(), valueName.c_str());
    }
    on_ = on;
}

} // namespace vemora
