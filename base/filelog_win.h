#pragma once
#include "base/eventlog.h"

#include <mutex>
#include <string>

namespace vemora {

// The event log on disk: vemora.log in the folder given (the settings file's),
// or, when that folder cannot be written, in the fallback folder (by default
// Vemora in the user's local application data), made when missing. Every
// line is appended at once, so that a run that ends abruptly keeps its last
// words; a full file becomes vemora.log.1 (one older file is kept) and a new
// one starts. Any thread may write; a line that cannot be written is lost,
// for there is nowhere else to tell.
class FileLog final : public EventLog {
public:
    explicit FileLog(const std::wstring& folder, std::wstring fallbackFolder = {});

    void Write(std::string_view part, std::string_view message) override;

    // The file written to; empty when neither folder can be written.
    const std::wstring& Path() const { return path_; }

private:
    std::mutex mutex_;
    std::wstring path_;
};

// The folder of a file's path, its last separator kept: "C:\\Vemora\\".
std::wstring FolderOf(const std::wstring& path);

} // namespace vemora
