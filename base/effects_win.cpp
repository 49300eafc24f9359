#include "base/effects_win.h"

#include <mmsystem.h>

namespace vemora {

void RealEffects::ShowError(HWND owner, const std::wstring& title, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

void RealEffects::ShowNote(HWND owner, const std::wstring& title, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

bool RealEffects::AskYesNo(HWND owner, const std::wstring& title, const std::wstring& text) {
    return MessageBoxW(owner, text.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

BOOL RealEffects::ExitSystem(UINT flags, DWORD reason) {
    return ExitWindowsEx(flags, reason);
}

BOOL RealEffects::SetSystemClock(const SYSTEMTIME& utc) {
    return SetSystemTime(&utc);
}

void RealEffects::PlaySoundMemory(const void* wave, UINT flags) {
    sndPlaySoundW(static_cast<LPCWSTR>(wave), flags);
}

void RealEffects::OpenUrl(const std::wstring& url) {
    ShellExecuteW(nullptr, L"open", url.c_str(), L"", L"", SW_SHOWNORMAL);
}

} // namespace vemora
