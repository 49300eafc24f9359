#pragma once
// clockset.ini as the clock keeps it: read once at the start, written when
// the user leaves, when a place is found and before the session ends.
#include "base/eventlog.h"
#include "settings/inifile.h"
#include "settings/settings.h"

#include <string>
#include <vector>

namespace vemora {

class StoredSettings {
public:
    explicit StoredSettings(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& Path() const { return path_; }
    // The stored settings. A file that cannot be read gives the defaults (the
    // log says why; saving later reports the trouble). Without a stored "Top"
    // (the first start) the clock stays on top.
    Settings Load(EventLog& log);
    // The file as Load read it, for the other sections read at start (the
    // alarms'), once: it is handed over, not kept.
    IniDocument TakeLoaded() { return std::move(loaded_); }
    // The font the clock draws with, one GDI+ can draw (GBK), and
    // put into the settings; what the user is to be told when the stored font
    // is not installed (UTF-8), else empty. The stored one then stays in the
    // file while the clock draws with the other, for the font may come back
    // (installed later, or a user's font loaded after autostart). Another font
    // chosen in 设置 replaces it.
    std::string SettleFont(Settings& settings);
    // Writes the settings; raises an error naming the file when it cannot.
    void Save(const Settings& settings) const;
    // Writes the settings where a failure can stop nothing and nobody can be
    // asked: it goes to the log, `when` saying at what moment.
    void SaveOrLog(const Settings& settings, EventLog& log, const std::string& when) const;

private:
    std::wstring path_;
    IniDocument loaded_;
    bool fontStored_ = false;
    std::string missingFont_; // GBK; empty when the stored font is installed
    std::string drawnFont_;
};

} // namespace vemora
