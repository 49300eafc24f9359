#pragma once
#include "base/platform_win.h"

#include <string>

namespace vemora {

// The program's icon in the notification area, for as long as this object
// holds it: the destructor takes it away, so that no icon outlives the clock.
// Its mouse messages come to the owner window as callbackMessage with the
// mouse message (WM_RBUTTONUP, WM_LBUTTONDBLCLK, ...) in lParam.
class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon with its tip; false when the shell refuses it (it is
    // still tried again by Restore).
    bool Add(HWND owner, UINT callbackMessage, const std::wstring& tip);
    // A new tip, sent to the shell only when it differs from the one shown.
    void SetTip(const std::wstring& tip);
    // After Explorer restarted (the "TaskbarCreated" message) the shell knows
    // no icon any more: this one is added again.
    void Restore();
    void Remove();
    bool Added() const { return owner_ != nullptr; }
    const std::wstring& Tip() const { return tip_; }

private:
    bool Notify(DWORD message, UINT flags) const;

    HWND owner_ = nullptr;
    UINT callbackMessage_ = 0;
    HICON icon_ = nullptr; // shared (LoadIcon): never destroyed
    std::wstring tip_;
};

} // namespace vemora
