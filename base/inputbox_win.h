#pragma once
#include "base/controls_win.h"
#include "base/window_win.h"

#include <optional>
#include <string>

namespace vemora {

// A small modal box that asks for one line of text: a prompt, an edit, OK and
// Cancel. Windows has no system input box; this one is the program's own.
class InputBox : public BaseWindow<InputBox> {
public:
    static constexpr const wchar_t* kClassName = L"TInputBox";
    enum Id { kEdit = 100, kOk = IDOK, kCancel = IDCANCEL };

    InputBox(ErrorReporter& reporter, HWND owner, const std::wstring& caption, const std::wstring& prompt);
    // The text on OK; nothing on Cancel or the close box.
    std::optional<std::wstring> Ask();

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND owner_;
    HWND edit_ = nullptr;
    UniqueHfont font_;
    DialogLayout layout_;
    std::optional<std::wstring> answer_;
};

} // namespace vemora
