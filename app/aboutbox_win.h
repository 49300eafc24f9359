#pragma once
#include "base/controls_win.h"
#include "base/effects_win.h"
#include "base/window_win.h"

#include <string>

namespace vemora {

// The program's own About box: its name and version, its licence, where the
// weather comes from, where its log is, and a link to the home page, which
// opens (through the effects) only when clicked. Modal over its owner; Esc,
// Enter and the close box close it.
class AboutBox : public BaseWindow<AboutBox> {
public:
    static constexpr const wchar_t* kClassName = L"TVemoraAbout";
    enum Id { kHomePageLink = 100, kOk = IDOK, kCancel = IDCANCEL };

    AboutBox(ErrorReporter& reporter, Effects& effects, HWND owner, const std::wstring& logPath);
    void ShowModal();

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    Effects& effects_;
    HWND owner_;
    HWND link_ = nullptr;
    UniqueHfont font_, linkFont_;
    DialogLayout layout_;
};

} // namespace vemora
