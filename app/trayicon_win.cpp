#include "app/trayicon_win.h"

#include "base/module_win.h"

namespace vemora {

namespace {

constexpr UINT kTrayIconId = 1;

} // namespace

bool TrayIcon::Notify(DWORD message, UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    tip_.copy(data.szTip, std::size(data.szTip) - 1);
    return Shell_NotifyIconW(message, &data) != FALSE;
}

bool TrayIcon::Add(HWND owner, UINT callbackMessage, const std::wstring& tip) {
    Remove();
    owner_ = owner;
    callbackMessage_ = callbackMessage;
    icon_ = ProgramIcon(true);
    tip_ = tip;
    return Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

void TrayIcon::SetTip(const std::wstring& tip) {
    if (!owner_ || tip == tip_)
        return;
    tip_ = tip;
    Notify(NIM_MODIFY, NIF_TIP);
}

void TrayIcon::Restore() {
    if (owner_)
        Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

void TrayIcon::Remove() {
    if (!owner_)
        return;
    Notify(NIM_DELETE, 0);
    owner_ = nullptr;
}

} // namespace vemora
