#pragma once
#include "settings/settings.h"

#include <string>

namespace vemora {

// clockset.ini through the system's profile functions, key by key.
class IniFileStore : public ProfileStore {
public:
    explicit IniFileStore(std::wstring path) : path_(std::move(path)) {}
    std::string Read(const char* key, const std::string& defaultValue) override;
    void Write(const char* key, const std::string& value) override;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// The directory of the running executable followed by "clockset.ini".
std::wstring DefaultSettingsPath();

} // namespace vemora
