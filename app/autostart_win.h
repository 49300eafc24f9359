#pragma once
// The program's entry among the programs Windows starts at logon: the Run
// value under HKCU and the start-up manager's switch beside it.
#include <string>

namespace vemora {

class AutostartEntry {
public:
    // `runKey` and `approvedKey` under HKCU (empty: the system's); `exePath`
    // is what the entry starts.
    AutostartEntry(std::wstring exePath, std::string runKey, std::string approvedKey);

    // Reads whether Windows starts this program: the Run value exists, starts
    // this very executable, and is not switched off in the start-up manager.
    void Read();
    bool On() const { return on_; }
    // Writes or removes the entry. Turning it on also marks it enabled in the
    // start-up manager, where Task Manager may have switched it off: the Run
    // value alone would not start it then. A refused write raises an error and
    // leaves On() as it was, so that it never claims an entry not written.
    void Set(bool on);

private:
    std::wstring exePath_;
    std::string runKey_, approvedKey_;
    bool on_ = false;
};

} // namespace vemora
