#include "app/storedsettings_win.h"

#include "app/fonts_win.h"
#include "base/text_win.h"
#include "settings/settings_win.h"

namespace vemora {

Settings StoredSettings::Load(EventLog& log) {
    try {
        loaded_ = ReadSettingsDocument(path_);
    } catch (const std::exception& e) {
        log.Write("settings", std::string("read with the defaults: ") + e.what());
    }
    IniDocumentStore store(loaded_);
    Settings settings;
    LoadSettings(store, settings);
    if (!store.Has("Top"))
        settings.stayOnTop = true;
    fontStored_ = store.Has("Font");
    return settings;
}

std::string StoredSettings::SettleFont(Settings& settings) {
    const StartFont font = PickStartFont(fontStored_ ? std::optional<std::string>(settings.font) : std::nullopt);
    settings.font = font.family;
    missingFont_ = font.missing;
    drawnFont_ = font.family;
    if (font.missing.empty())
        return {};
    return MissingFontText(WideToUtf8(GbkToWide(font.missing)), WideToUtf8(GbkToWide(font.family)));
}

void StoredSettings::Save(const Settings& settings) const {
    if (!missingFont_.empty() && settings.font == drawnFont_) {
        Settings kept = settings;
        kept.font = missingFont_;
        WriteSettingsFile(path_, kept);
        return;
    }
    WriteSettingsFile(path_, settings);
}

void StoredSettings::SaveOrLog(const Settings& settings, EventLog& log, const std::string& when) const {
    try {
        Save(settings);
    } catch (const std::exception& e) {
        log.Write("settings", "not saved " + when + ": " + e.what());
    }
}

} // namespace vemora
