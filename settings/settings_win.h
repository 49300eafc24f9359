#pragma once
#include "settings/inifile.h"
#include "settings/settings.h"

#include <string>

namespace vemora {

// clockset.ini read as bytes and written back whole: GBK on every system
// whatever its code page, a file saved as UTF-8 recognised, and what the
// program does not know (other keys and sections, comments) kept.

// The file as a document; an empty one when there is no file. Raises an
// error when the file exists but cannot be read.
IniDocument ReadSettingsDocument(const std::wstring& path);

// Writes the document so that a power cut leaves the old file or the new one,
// never a torn one: a sibling file is written and flushed, then moved over
// the old one. Raises an error naming the file when any step fails.
void WriteSettingsDocument(const std::wstring& path, const IniDocument& document);

// Reads the file as it is now (another program may have edited it), stores
// the settings in it and writes it back atomically. Raises on failure.
void WriteSettingsFile(const std::wstring& path, const Settings& settings);

// The directory of the running executable followed by "clockset.ini".
std::wstring DefaultSettingsPath();

} // namespace vemora
