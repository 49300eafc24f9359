#pragma once
#include "base/platform_win.h"

#include <string>

namespace vemora {

// What the program does to the world outside its windows. The program runs
// with RealEffects; the Windows tests hand in a recording implementation, so
// that no test shuts the machine down, sets its clock, plays sound, opens a
// browser or waits on a message box.
class Effects {
public:
    virtual ~Effects() = default;
    virtual void ShowError(HWND owner, const std::wstring& title, const std::wstring& text) = 0;
    // A question with the buttons 是 and 否; true for 是.
    virtual bool AskYesNo(HWND owner, const std::wstring& title, const std::wstring& text) = 0;
    // A note for the user, not an error; recorded with the errors unless an
    // implementation tells them apart.
    virtual void ShowNote(HWND owner, const std::wstring& title, const std::wstring& text) {
        ShowError(owner, title, text);
    }
    virtual BOOL ExitSystem(UINT flags, DWORD reason) = 0;
    virtual BOOL SetSystemClock(const SYSTEMTIME& utc) = 0;
    virtual void PlaySoundMemory(const void* wave, UINT flags) = 0;
    virtual void OpenUrl(const std::wstring& url) = 0;
};

class RealEffects : public Effects {
public:
    void ShowError(HWND owner, const std::wstring& title, const std::wstring& text) override;
    bool AskYesNo(HWND owner, const std::wstring& title, const std::wstring& text) override;
    void ShowNote(HWND owner, const std::wstring& title, const std::wstring& text) override;
    BOOL ExitSystem(UINT flags, DWORD reason) override;
    BOOL SetSystemClock(const SYSTEMTIME& utc) override;
    void PlaySoundMemory(const void* wave, UINT flags) override;
    void OpenUrl(const std::wstring& url) override;
};

} // namespace vemora
